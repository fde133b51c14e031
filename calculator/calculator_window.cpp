#include "calculator/calculator_window.h"

#include "calculator/refusal_notice.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>

#include <iterator>

namespace lumora {

namespace {

// The design gives every rectangle in twips, 15 to the pixel.
QRect Twips(int left, int top, int width, int height)
{
    return QRect(qRound(left / 15.0), qRound(top / 15.0), qRound(width / 15.0), qRound(height / 15.0));
}

template <typename T>
T *Add(QWidget *parent, const char *name, const QRect &geometry)
{
    auto *control = new T(parent);
    control->setObjectName(QLatin1String(name));
    control->setGeometry(geometry);
    return control;
}

template <typename T>
T *AddCaptioned(QWidget *parent, const char *name, const QString &caption, const QRect &geometry)
{
    T *control = Add<T>(parent, name, geometry);
    control->setText(caption);
    return control;
}

QLabel *AddLabel(QWidget *parent, const char *name, const QString &caption, const QRect &geometry)
{
    auto *label = AddCaptioned<QLabel>(parent, name, caption, geometry);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

// The controls that take the focus, in their tab order.
struct Controls
{
    QLineEdit *text1, *text2;
    QPushButton *command1, *command2;
    QRadioButton *option1, *option2;
    QLineEdit *text3, *text4, *text5;
    QPushButton *command3, *command4, *command5, *command6;
};

// Upper group: mode, the two operands, the result and the operation buttons.
void BuildFrame2(QWidget *window, Controls &c)
{
    auto *frame = Add<QGroupBox>(window, "Frame2", Twips(120, 120, 5895, 2175));
    c.option1 = AddCaptioned<QRadioButton>(frame, "Option1", QStringLiteral("十进制"), Twips(120, 240, 1095, 255));
    c.option2 = AddCaptioned<QRadioButton>(frame, "Option2", QStringLiteral("十六进制"), Twips(1440, 240, 1095, 255));
    c.option2->setChecked(true);
    AddLabel(frame, "Label3", QStringLiteral("元素1"), Twips(360, 765, 735, 255));
    c.text3 = Add<QLineEdit>(frame, "Text3", Twips(840, 720, 3255, 270));
    AddLabel(frame, "Label5", QStringLiteral("元素2"), Twips(360, 1245, 735, 255));
    c.text4 = Add<QLineEdit>(frame, "Text4", Twips(840, 1200, 3255, 270));
    AddLabel(frame, "Label4", QStringLiteral("结果"), Twips(360, 1725, 735, 255));
    c.text5 = Add<QLineEdit>(frame, "Text5", Twips(840, 1680, 3255, 270));
    c.command3 = AddCaptioned<QPushButton>(frame, "Command3", QStringLiteral("相加"), Twips(4320, 240, 1335, 375));
    c.command4 = AddCaptioned<QPushButton>(frame, "Command4", QStringLiteral("相减"), Twips(4320, 720, 1335, 375));
    c.command5 = AddCaptioned<QPushButton>(frame, "Command5", QStringLiteral("相乘"), Twips(4320, 1200, 1335, 375));
    c.command6 = AddCaptioned<QPushButton>(frame, "Command6", QStringLiteral("相除"), Twips(4320, 1680, 1335, 375));
}

// Lower group: the conversion between the two bases.
void BuildFrame1(QWidget *window, Controls &c)
{
    auto *frame = Add<QGroupBox>(window, "Frame1", Twips(120, 2520, 5895, 1815));
    AddLabel(frame, "Label1", QStringLiteral("十进制数"), Twips(120, 360, 975, 255));
    c.text1 = Add<QLineEdit>(frame, "Text1", Twips(1080, 290, 4695, 300));
    AddLabel(frame, "Label2", QStringLiteral("十六进制数"), Twips(120, 1005, 975, 255));
    c.text2 = Add<QLineEdit>(frame, "Text2", Twips(1080, 960, 4695, 300));
    c.command1 = AddCaptioned<QPushButton>(frame, "Command1", QStringLiteral("十转十六"), Twips(120, 1320, 855, 375));
    c.command2 = AddCaptioned<QPushButton>(frame, "Command2", QStringLiteral("十六转十"), Twips(4920, 1320, 855, 375));
}

// The option group is one tab stop, at its selected button, as the design's
// tab order means on the platform it comes from.  Qt instead moves the stop
// to whichever button last had the focus (at first both buttons are stops),
// so it is put back whenever the selection changes or the focus leaves.
class OptionGroupTabStop : public QObject
{
public:
    OptionGroupTabStop(std::initializer_list<QRadioButton *> buttons, QObject *parent)
        : QObject(parent), m_buttons(buttons)
    {
        for (QRadioButton *b : m_buttons) {
            b->installEventFilter(this);
            connect(b, &QAbstractButton::toggled, this, &OptionGroupTabStop::Place);
        }
        Place();
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::FocusOut)
            Place();
        return false;
    }

private:
    void Place()
    {
        for (QRadioButton *b : m_buttons)
            b->setFocusPolicy(b->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
    }

    QList<QRadioButton *> m_buttons;
};

void SetTabOrder(const Controls &c)
{
    QWidget *const order[] = {c.text1, c.text2, c.command1, c.command2, c.option1, c.option2, c.text3,
                              c.text4, c.text5, c.command3, c.command4, c.command5, c.command6};
    for (size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

} // namespace

QWidget *Form3::CreateFromDesign()
{
    // Fixed border, minimise and close but no maximise; the window system
    // chooses where it appears.
    auto *w = new QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                                       | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                                       | Qt::WindowCloseButtonHint);
    w->setObjectName(QStringLiteral("Form3"));
    w->setWindowTitle(QStringLiteral("破解计算器"));
    w->setFixedSize(411, 302);

    Controls c{};
    BuildFrame2(w, c);
    BuildFrame1(w, c);
    SetTabOrder(c);
    new OptionGroupTabStop({c.option1, c.option2}, w);
    c.text1->setFocus(Qt::OtherFocusReason);

    connect(c.command1, &QPushButton::clicked, this, &Form3::Command1_Click);
    connect(c.command2, &QPushButton::clicked, this, &Form3::Command2_Click);
    connect(c.command3, &QPushButton::clicked, this, &Form3::Command3_Click);
    connect(c.command4, &QPushButton::clicked, this, &Form3::Command4_Click);
    connect(c.command5, &QPushButton::clicked, this, &Form3::Command5_Click);
    connect(c.command6, &QPushButton::clicked, this, &Form3::Command6_Click);

    m_window = w;
    m_text1 = c.text1;
    m_text2 = c.text2;
    m_text3 = c.text3;
    m_text4 = c.text4;
    m_text5 = c.text5;
    m_option2 = c.option2;
    m_notice = new RefusalNotice(w);
    return w;
}

void Form3::Command1_Click()
{
    if (!m_text1 || !m_text2)
        return;
    const Outcome hex = DecimalToHexadecimal(m_text1->text());
    if (!hex.ok()) {
        Refuse(m_text1, hex.refusal);
        return;
    }
    m_text2->setText(hex.text);
}

void Form3::Command2_Click()
{
    if (!m_text1 || !m_text2)
        return;
    m_text1->setText(HexadecimalToDecimal(m_text2->text()));
}

void Form3::Command3_Click()
{
    Operate(Operation::Add);
}

void Form3::Command4_Click()
{
    Operate(Operation::Subtract);
}

void Form3::Command5_Click()
{
    Operate(Operation::Multiply);
}

void Form3::Command6_Click()
{
    Operate(Operation::Divide);
}

void Form3::Operate(Operation op)
{
    if (!m_text3 || !m_text4 || !m_text5 || !m_option2)
        return;
    const Mode mode = m_option2->isChecked() ? Mode::Hexadecimal : Mode::Decimal;
    const Calculation result = Calculate(mode, op, m_text3->text(), m_text4->text());
    switch (result.culprit) {
    case Culprit::None:
        m_text5->setText(result.outcome.text);
        return;
    case Culprit::Operand1:
        Refuse(m_text3, result.outcome.refusal);
        return;
    case Culprit::Operand2:
        Refuse(m_text4, result.outcome.refusal);
        return;
    case Culprit::Result:
        Refuse(m_text5, result.outcome.refusal);
        return;
    }
}

void Form3::Refuse(QLineEdit *field, Refusal why)
{
    QApplication::beep();
    if (m_notice)
        m_notice->ShowAt(field, RefusalReason(why));
}

} // namespace lumora
