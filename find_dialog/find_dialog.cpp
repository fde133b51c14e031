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

// m_findPos + length without signed overflow: a sum past the largest position
// stays there, which finds nothing, instead of wrapping to a negative start.
qint32 AddClamped(qint32 pos, qsizetype length)
{
    const qint64 sum = qint64(pos) + qint64(length);
    return qint32(std::min<qint64>(sum, std::numeric_limits<qint32>::max()));
}

} // namespace

FindDialog::FindDialog(std::function<RichTextBox *()> editor) : m_editor(std::move(editor)) {}

QWidget *FindDialog::CreateFromDesign()
{
    // A fixed-size tool window with only a close box; the window system
    // chooses where it appears.
    auto *w = new QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                                       | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    w->setObjectName(QStringLiteral("Form2"));
    w->setWindowTitle(QStringLiteral("查找"));
    w->setFixedSize(377, 107);

    AddLabel(w, "Label1", QStringLiteral("请输入要查找的内容"), QRect(8, 16, 113, 25));
    QLineEdit *searchField = AddField(w, "Text1", QRect(120, 8, 249, 25));
    QCheckBox *ignoreCaseBox = AddCheck(w, "Check1", QStringLiteral("不区分大小写"), QRect(8, 40, 97, 25));
    ignoreCaseBox->setEnabled(false);   // the search ignores case whatever this says
    QCheckBox *replaceBox = AddCheck(w, "Check2", QStringLiteral("自动替换"), QRect(120, 40, 97, 25));
    AddLabel(w, "Label2", QStringLiteral("替换内容"), QRect(8, 80, 89, 17));
    QLineEdit *replacementField = AddField(w, "Text2", QRect(64, 72, 305, 25));
    QPushButton *findButton = AddButton(w, "Command1", QStringLiteral("查找"), QRect(208, 40, 73, 25));
    QPushButton *nextButton = AddButton(w, "Command2", QStringLiteral("继续"), QRect(296, 40, 73, 25));

    QWidget::setTabOrder(searchField, ignoreCaseBox);
    QWidget::setTabOrder(ignoreCaseBox, replaceBox);
    QWidget::setTabOrder(replaceBox, replacementField);
    QWidget::setTabOrder(replacementField, findButton);
    QWidget::setTabOrder(findButton, nextButton);
    searchField->setFocus(Qt::OtherFocusReason);

    connect(findButton, &QPushButton::clicked, this, &FindDialog::Find);
    connect(nextButton, &QPushButton::clicked, this, &FindDialog::FindNext);
    connect(searchField, &QLineEdit::textChanged, this, &FindDialog::RestartSearch);

    m_window = w;
    m_searchField = searchField;
    m_replacementField = replacementField;
    m_replaceBox = replaceBox;
    return w;
}

void FindDialog::Find()
{
    FindStep();
}

void FindDialog::FindNext()
{
    // With the main window gone there is nothing to search; the position is
    // left alone as well, so the buttons simply do nothing.
    if (!m_editor || !m_editor() || !m_searchField)
        return;
    m_findPos = AddClamped(m_findPos, m_searchField->text().size());
    FindStep();
}

void FindDialog::RestartSearch()
{
    m_findPos = 0;
}

void FindDialog::FindStep()
{
    RichTextBox *box = m_editor ? m_editor() : nullptr;
    if (!box || !m_searchField)
        return;
    const QString what = m_searchField->text();
    if (what.isEmpty()) {
        MsgBox(m_window, QStringLiteral("请输入要查找的内容"), QStringLiteral("提示"));
        return;
    }
    m_findPos = box->Find(what, m_findPos);
    // After a miss there is no occurrence to select or replace: the
    // selection and the document stay as they are, and no message is shown.
    if (m_findPos < 0)
        return;
    const int length = int(what.size());
    box->SetSelStart(m_findPos);
    box->SetSelLength(length);
    box->SetFocus();
    if (m_replaceBox && m_replaceBox->checkState() == Qt::Checked) {
        box->SetSelText(m_replacementField ? m_replacementField->text() : QString());
        // The selection goes back over the search text's length from the
        // occurrence's start, whatever the replacement's length.
        box->SetSelStart(m_findPos);
        box->SetSelLength(length);
    }
}

} // namespace lumora
