#include "find_dialog/find_dialog.h"

#include "shared_ui/fonts.h"
#include "shared_ui/message_box.h"
#include "rich_text/rich_text_box.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include <algorithm>
#include <limits>

namespace lumora {

namespace {

// The two text fields show what is searched for and what replaces it in the
// same Song face as the document itself, a little larger.
QFont FieldFont()
{
    InstallFontSubstitutes();
    QFont f(QStringLiteral("宋体"));
    f.setPointSizeF(10.5);
    f.setWeight(QFont::Normal);
    return f;
}

QLabel *AddLabel(QWidget *w, const char *name, const QString &caption, const QRect &geometry)
{
    auto *label = new QLabel(caption, w);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QLineEdit *AddField(QWidget *w, const char *name, const QRect &geometry)
{
    auto *field = new QLineEdit(w);
    field->setObjectName(QLatin1String(name));
    field->setGeometry(geometry);
    field->setFont(FieldFont());
    return field;
}

QCheckBox *AddCheck(QWidget *w, const char *name, const QString &caption, const QRect &geometry)
{
    auto *box = new QCheckBox(caption, w);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(geometry);
    box->setChecked(false);
    return box;
}

// Neither button answers Enter: a press in a field must not start a search
// or, with replacement on, change the document.
QPushButton *AddButton(QWidget *w, const char *name, const QString &caption, const QRect &geometry)
{
    auto *button = new QPushButton(caption, w);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

// findPos + length without signed overflow: a sum past the largest position
// stays there, which finds nothing, instead of wrapping to a negative start.
qint32 AddClamped(qint32 pos, qsizetype length)
{
    const qint64 sum = qint64(pos) + qint64(length);
    return qint32(std::min<qint64>(sum, std::numeric_limits<qint32>::max()));
}

} // namespace

Form2::Form2(std::function<RichTextBox *()> editor) : m_editor(std::move(editor)) {}

QWidget *Form2::CreateFromDesign()
{
    // A fixed-size tool window with only a close box; the window system
    // chooses where it appears.
    auto *w = new QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                                       | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    w->setObjectName(QStringLiteral("Form2"));
    w->setWindowTitle(QStringLiteral("查找"));
    w->setFixedSize(377, 107);

    AddLabel(w, "Label1", QStringLiteral("请输入要查找的内容"), QRect(8, 16, 113, 25));
    QLineEdit *text1 = AddField(w, "Text1", QRect(120, 8, 249, 25));
    QCheckBox *check1 = AddCheck(w, "Check1", QStringLiteral("不区分大小写"), QRect(8, 40, 97, 25));
    check1->setEnabled(false);   // the search ignores case whatever this says
    QCheckBox *check2 = AddCheck(w, "Check2", QStringLiteral("自动替换"), QRect(120, 40, 97, 25));
    AddLabel(w, "Label2", QStringLiteral("替换内容"), QRect(8, 80, 89, 17));
    QLineEdit *text2 = AddField(w, "Text2", QRect(64, 72, 305, 25));
    QPushButton *command1 = AddButton(w, "Command1", QStringLiteral("查找"), QRect(208, 40, 73, 25));
    QPushButton *command2 = AddButton(w, "Command2", QStringLiteral("继续"), QRect(296, 40, 73, 25));

    QWidget::setTabOrder(text1, check1);
    QWidget::setTabOrder(check1, check2);
    QWidget::setTabOrder(check2, text2);
    QWidget::setTabOrder(text2, command1);
    QWidget::setTabOrder(command1, command2);
    text1->setFocus(Qt::OtherFocusReason);

    connect(command1, &QPushButton::clicked, this, &Form2::Command1_Click);
    connect(command2, &QPushButton::clicked, this, &Form2::Command2_Click);
    connect(text1, &QLineEdit::textChanged, this, &Form2::Text1_Change);

    m_window = w;
    m_text1 = text1;
    m_text2 = text2;
    m_check2 = check2;
    return w;
}

void Form2::Command1_Click()
{
    FindStep();
}

void Form2::Command2_Click()
{
    // With the main window gone there is nothing to search; the position is
    // left alone as well, so the buttons simply do nothing.
    if (!m_editor || !m_editor() || !m_text1)
        return;
    findPos = AddClamped(findPos, m_text1->text().size());
    FindStep();
}

void Form2::Text1_Change()
{
    findPos = 0;
}

void Form2::FindStep()
{
    RichTextBox *box = m_editor ? m_editor() : nullptr;
    if (!box || !m_text1)
        return;
    const QString what = m_text1->text();
    if (what.isEmpty()) {
        MsgBox(m_window, QStringLiteral("请输入要查找的内容"), QStringLiteral("提示"));
        return;
    }
    findPos = box->Find(what, findPos);
    // After a miss there is no occurrence to select or replace: the
    // selection and the document stay as they are, and no message is shown.
    if (findPos < 0)
        return;
    const int length = int(what.size());
    box->SetSelStart(findPos);
    box->SetSelLength(length);
    box->SetFocus();
    if (m_check2 && m_check2->checkState() == Qt::Checked) {
        box->SetSelText(m_text2 ? m_text2->text() : QString());
        // The selection goes back over the search text's length from the
        // occurrence's start, whatever the replacement's length.
        box->SetSelStart(findPos);
        box->SetSelLength(length);
    }
}

} // namespace lumora
