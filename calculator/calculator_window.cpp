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
    QLineEdit *decimalField, *hexField;
    QPushButton *toHex, *toDecimal;
    QRadioButton *decimalOption, *hexOption;
    QLineEdit *operand1Field, *operand2Field, *resultField;
    QPushButton *add, *subtract, *multiply, *divide;
};

// Upper group: mode, the two operands, the result and the operation buttons.
void BuildOperationGroup(QWidget *window, Controls &c)
{
    auto *frame = Add<QGroupBox>(window, "Frame2", Twips(120, 120, 5895, 2175));
    c.decimalOption = AddCaptioned<QRadioButton>(frame, "Option1", QStringLiteral("十进制"), Twips(120, 240, 1095, 255));
    c.hexOption = AddCaptioned<QRadioButton>(frame, "Option2", QStringLiteral("十六进制"), Twips(1440, 240, 1095, 255));
    c.hexOption->setChecked(true);
    AddLabel(frame, "Label3", QStringLiteral("元素1"), Twips(360, 765, 735, 255));
    c.operand1Field = Add<QLineEdit>(frame, "Text3", Twips(840, 720, 3255, 270));
    AddLabel(frame, "Label5", QStringLiteral("元素2"), Twips(360, 1245, 735, 255));
    c.operand2Field = Add<QLineEdit>(frame, "Text4", Twips(840, 1200, 3255, 270));
    AddLabel(frame, "Label4", QStringLiteral("结果"), Twips(360, 1725, 735, 255));
    c.resultField = Add<QLineEdit>(frame, "Text5", Twips(840, 1680, 3255, 270));
    c.add = AddCaptioned<QPushButton>(frame, "Command3", QStringLiteral("相加"), Twips(4320, 240, 1335, 375));
    c.subtract = AddCaptioned<QPushButton>(frame, "Command4", QStringLiteral("相减"), Twips(4320, 720, 1335, 375));
    c.multiply = AddCaptioned<QPushButton>(frame, "Command5", QStringLiteral("相乘"), Twips(4320, 1200, 1335, 375));
    c.divide = AddCaptioned<QPushButton>(frame, "Command6", QStringLiteral("相除"), Twips(4320, 1680, 1335, 375));
}

// Lower group: the conversion between the two bases.
void BuildConversionGroup(QWidget *window, Controls &c)
{
    auto *frame = Add<QGroupBox>(window, "Frame1", Twips(120, 2520, 5895, 1815));
    AddLabel(frame, "Label1", QStringLiteral("十进制数"), Twips(120, 360, 975, 255));
    c.decimalField = Add<QLineEdit>(frame, "Text1", Twips(1080, 290, 4695, 300));
    AddLabel(frame, "Label2", QStringLiteral("十六进制数"), Twips(120, 1005, 975, 255));
    c.hexField = Add<QLineEdit>(frame, "Text2", Twips(1080, 960, 4695, 300));
    c.toHex = AddCaptioned<QPushButton>(frame, "Command1", QStringLiteral("十转十六"), Twips(120, 1320, 855, 375));
    c.toDecimal = AddCaptioned<QPushButton>(frame, "Command2", QStringLiteral("十六转十"), Twips(4920, 1320, 855, 375));
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
    QWidget *const order[] = {c.decimalField, c.hexField, c.toHex, c.toDecimal, c.decimalOption,
                              c.hexOption, c.operand1Field, c.operand2Field, c.resultField, c.add,
                              c.subtract, c.multiply, c.divide};
    for (size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

} // namespace

QWidget *CalculatorWindow::CreateFromDesign()
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
    BuildOperationGroup(w, c);
    BuildConversionGroup(w, c);
    SetTabOrder(c);
    new OptionGroupTabStop({c.decimalOption, c.hexOption}, w);
    c.decimalField->setFocus(Qt::OtherFocusReason);

    connect(c.toHex, &QPushButton::clicked, this, &CalculatorWindow::DecimalToHex);
    connect(c.toDecimal, &QPushButton::clicked, this, &CalculatorWindow::HexToDecimal);
    connect(c.add, &QPushButton::clicked, this, &CalculatorWindow::Add);
    connect(c.subtract, &QPushButton::clicked, this, &CalculatorWindow::Subtract);
    connect(c.multiply, &QPushButton::clicked, this, &CalculatorWindow::Multiply);
    connect(c.divide, &QPushButton::clicked, this, &CalculatorWindow::Divide);

    m_window = w;
    m_decimalField = c.decimalField;
    m_hexField = c.hexField;
    m_operand1Field = c.operand1Field;
    m_operand2Field = c.operand2Field;
    m_resultField = c.resultField;
    m_hexOption = c.hexOption;
    m_notice = new RefusalNotice(w);
    return w;
}

void CalculatorWindow::DecimalToHex()
{
    if (!m_decimalField || !m_hexField)
        return;
    const Outcome hex = DecimalToHexadecimal(m_decimalField->text());
    if (!hex.Ok()) {
        Refuse(m_decimalField, hex.refusal);
        return;
    }
    m_hexField->setText(hex.text);
}

void CalculatorWindow::HexToDecimal()
{
    if (!m_decimalField || !m_hexField)
        return;
    m_decimalField->setText(HexadecimalToDecimal(m_hexField->text()));
}

void CalculatorWindow::Add()
{
    Operate(Operation::Add);
}

void CalculatorWindow::Subtract()
{
    Operate(Operation::Subtract);
}

void CalculatorWindow::Multiply()
{
    Operate(Operation::Multiply);
}

void CalculatorWindow::Divide()
{
    Operate(Operation::Divide);
}

void CalculatorWindow::Operate(Operation op)
{
    if (!m_operand1Field || !m_operand2Field || !m_resultField || !m_hexOption)
        return;
    const Mode mode = m_hexOption->isChecked() ? Mode::Hexadecimal : Mode::Decimal;
    const Calculation result = Calculate(mode, op, m_operand1Field->text(), m_operand2Field->text());
    switch (result.culprit) {
    case Culprit::None:
        m_resultField->setText(result.outcome.text);
        return;
    case Culprit::Operand1:
        Refuse(m_operand1Field, result.outcome.refusal);
        return;
    case Culprit::Operand2:
        Refuse(m_operand2Field, result.outcome.refusal);
        return;
    case Culprit::Result:
        Refuse(m_resultField, result.outcome.refusal);
        return;
    }
}

void CalculatorWindow::Refuse(QLineEdit *field, Refusal why)
{
    QApplication::beep();
    if (m_notice)
        m_notice->ShowAt(field, RefusalReason(why));
}

} // namespace lumora
