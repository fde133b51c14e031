#include "find_dialog/find_dialog.h"

#include "shared_ui/message_box.h"
#include "rich_text/rich_text_box.h"
#include "shared_ui/secondary_window.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace lumora;

namespace {

// What one press should leave behind.
struct Step
{
    char button;        // '1' = "查找", '2' = "继续"
    int findPos;
    int selStart;
    int selLength;
    QString text;       // the document, '\n' standing for a line break
};

QString CrLf(QString s)
{
    return s.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
}

// An editing area in a window of its own, the dialog over it, and every
// message box recorded instead of shown.
class Rig
{
public:
    Rig() : form([this]() -> RichTextBox * { return box; })
    {
        box = new RichTextBox(&main);
        main.resize(400, 300);
        main.show();
        window = form.CreateFromDesign();
        window->show();
        m_previous = SetMsgResponder([this](const MsgRequest &r) {
            messages.append(r);
            return MsgAnswer::Ok;
        });
    }
    ~Rig()
    {
        SetMsgResponder(m_previous);
        delete window.data();
    }

    template<typename T> T *Control(const char *name) const
    {
        T *c = window->findChild<T *>(QLatin1String(name));
        if (!c)
            qFatal("no control %s", name);
        return c;
    }
    QLineEdit *SearchField() const { return Control<QLineEdit>("Text1"); }
    QLineEdit *ReplacementField() const { return Control<QLineEdit>("Text2"); }
    QCheckBox *ReplaceBox() const { return Control<QCheckBox>("Check2"); }

    void Press(char button) const
    {
        QTest::mouseClick(Control<QPushButton>(button == '1' ? "Command1" : "Command2"), Qt::LeftButton);
    }
    // Types the search text as a user would, key by key.
    void Type(const QString &what) const
    {
        SearchField()->clear();
        QTest::keyClicks(SearchField(), what);
    }

    QWidget main;
    QPointer<RichTextBox> box;
    FindDialog form;
    QPointer<QWidget> window;
    QList<MsgRequest> messages;

private:
    MsgResponder m_previous;
};

} // namespace

Q_DECLARE_METATYPE(QVector<Step>)

class TstFindDialog : public QObject
{
    Q_OBJECT
private slots:
    void design_data();
    void design();
    void windowAndTabOrder();
    void presses_data();
    void presses();
    void emptySearchText_data();
    void emptySearchText();
    void editingSearchTextRestarts_data();
    void editingSearchTextRestarts();
    void documentEditsDoNotShiftPosition();
    void searchingFocusesEditor();
    void replacementIsOneUndoStep();
    void enterInFieldDoesNothing();
    void mainWindowClosed_data();
    void mainWindowClosed();
    void reopenKeepsPositionNotFields();
};

void TstFindDialog::design_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("geometry");

    QTest::newRow("Label1") << "Label1" << "请输入要查找的内容" << QRect(8, 16, 113, 25);
    QTest::newRow("Text1") << "Text1" << "" << QRect(120, 8, 249, 25);
    QTest::newRow("Check1") << "Check1" << "不区分大小写" << QRect(8, 40, 97, 25);
    QTest::newRow("Check2") << "Check2" << "自动替换" << QRect(120, 40, 97, 25);
    QTest::newRow("Label2") << "Label2" << "替换内容" << QRect(8, 80, 89, 17);
    QTest::newRow("Text2") << "Text2" << "" << QRect(64, 72, 305, 25);
    QTest::newRow("Command1") << "Command1" << "查找" << QRect(208, 40, 73, 25);
    QTest::newRow("Command2") << "Command2" << "继续" << QRect(296, 40, 73, 25);
}

void TstFindDialog::design()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QRect, geometry);
    Rig rig;
    auto *c = rig.window->findChild<QWidget *>(name);
    QVERIFY(c);
    QCOMPARE(c->geometry(), geometry);
    if (auto *label = qobject_cast<QLabel *>(c)) {
        QCOMPARE(label->text(), caption);
    } else if (auto *field = qobject_cast<QLineEdit *>(c)) {
        QCOMPARE(field->text(), caption);
        QCOMPARE(field->font().family(), QStringLiteral("宋体"));
        QCOMPARE(field->font().pointSizeF(), 10.5);
        QCOMPARE(field->font().weight(), QFont::Normal);
    } else if (auto *check = qobject_cast<QCheckBox *>(c)) {
        QCOMPARE(check->text(), caption);
        QCOMPARE(check->checkState(), Qt::Unchecked);
        QCOMPARE(check->isEnabled(), name == QLatin1String("Check2"));
    } else if (auto *button = qobject_cast<QPushButton *>(c)) {
        QCOMPARE(button->text(), caption);
        QVERIFY(!button->isDefault());
        QVERIFY(!button->autoDefault());
    } else {
        QFAIL("unexpected kind of control");
    }
}

void TstFindDialog::windowAndTabOrder()
{
    Rig rig;
    QCOMPARE(rig.window->windowTitle(), QStringLiteral("查找"));
    QVERIFY(!rig.window->parentWidget());
    QCOMPARE(rig.window->size(), QSize(377, 107));
    QCOMPARE(rig.window->minimumSize(), rig.window->maximumSize());
    const Qt::WindowFlags flags = rig.window->windowFlags();
    QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QVERIFY(flags & Qt::WindowCloseButtonHint);

    QStringList chain;
    QWidget *w = rig.SearchField();
    for (int i = 0; i < 30; ++i) {   // the chain is a ring; labels sit in it but take no focus
        if (w->focusPolicy() & Qt::TabFocus)
            chain << w->objectName();
        w = w->nextInFocusChain();
        if (w == rig.SearchField())
            break;
    }
    QCOMPARE(chain, (QStringList{"Text1", "Check1", "Check2", "Text2", "Command1", "Command2"}));
}

void TstFindDialog::presses_data()
{
    QTest::addColumn<QString>("doc");
    QTest::addColumn<QString>("what");
    QTest::addColumn<bool>("replace");
    QTest::addColumn<QString>("with");
    QTest::addColumn<QVector<Step>>("steps");

    // Every row starts with the selection at 1, length 1, so that a miss can
    // be seen to leave it alone.
    const QString mov = QStringLiteral("Mov eax, MOV ebx");
    QTest::newRow("case ignored, 继续 moves on") << mov << "mov" << false << ""
        << QVector<Step>{{'1', 0, 0, 3, mov}, {'2', 9, 9, 3, mov}, {'2', -1, 9, 3, mov}};
    QTest::newRow("查找 twice finds the same") << mov << "MOV" << false << ""
        << QVector<Step>{{'1', 0, 0, 3, mov}, {'1', 0, 0, 3, mov}};
    QTest::newRow("overlap skipped") << "aaaa" << "aa" << false << ""
        << QVector<Step>{{'1', 0, 0, 2, "aaaa"}, {'2', 2, 2, 2, "aaaa"}, {'2', -1, 2, 2, "aaaa"}};
    QTest::newRow("继续 after miss starts at -1 + length") << "abcabc" << "abc" << false << ""
        << QVector<Step>{{'1', 0, 0, 3, "abcabc"}, {'2', 3, 3, 3, "abcabc"},
                         {'2', -1, 3, 3, "abcabc"}, {'2', 3, 3, 3, "abcabc"}};
    QTest::newRow("查找 after miss starts at the beginning") << "abcabc" << "abc" << false << ""
        << QVector<Step>{{'2', 3, 3, 3, "abcabc"}, {'2', -1, 3, 3, "abcabc"}, {'1', 0, 0, 3, "abcabc"}};
    QTest::newRow("miss leaves selection") << "abc" << "zz" << false << ""
        << QVector<Step>{{'1', -1, 1, 1, "abc"}, {'2', -1, 1, 1, "abc"}};
    QTest::newRow("start past the end") << "ab" << "abcdef" << true << "Q"
        << QVector<Step>{{'1', -1, 1, 1, "ab"}, {'2', -1, 1, 1, "ab"}, {'1', -1, 1, 1, "ab"}};
    QTest::newRow("line breaks count two") << "mov eax\nmov ebx" << "MOV" << false << ""
        << QVector<Step>{{'1', 0, 0, 3, "mov eax\nmov ebx"}, {'2', 9, 9, 3, "mov eax\nmov ebx"}};
    QTest::newRow("unticked box replaces nothing") << "ab ab" << "ab" << false << "xyz"
        << QVector<Step>{{'1', 0, 0, 2, "ab ab"}, {'2', 3, 3, 2, "ab ab"}};

    QTest::newRow("longer replacement") << "ab ab" << "ab" << true << "xyz"
        << QVector<Step>{{'1', 0, 0, 2, "xyz ab"}, {'2', 4, 4, 2, "xyz xyz"}, {'2', -1, 4, 2, "xyz xyz"}};
    QTest::newRow("shorter replacement misses the shifted one") << "abc abc" << "abc" << true << "x"
        << QVector<Step>{{'1', 0, 0, 3, "x abc"}, {'2', -1, 0, 3, "x abc"}};
    QTest::newRow("equal replacement changes nothing") << "abc abc" << "abc" << true << "abc"
        << QVector<Step>{{'1', 0, 0, 3, "abc abc"}, {'2', 4, 4, 3, "abc abc"}};
    QTest::newRow("replacement takes its own case") << mov << "mov" << true << "MOV"
        << QVector<Step>{{'1', 0, 0, 3, "MOV eax, MOV ebx"}, {'2', 9, 9, 3, "MOV eax, MOV ebx"}};
    // After the last occurrence is deleted the selection cannot reach past
    // the end of the text.
    QTest::newRow("empty replacement deletes") << "ab cd ab" << "ab" << true << ""
        << QVector<Step>{{'1', 0, 0, 2, " cd ab"}, {'2', 4, 4, 0, " cd "}};
    QTest::newRow("replacement across lines") << "ab\nab" << "ab" << true << "xyz"
        << QVector<Step>{{'1', 0, 0, 2, "xyz\nab"}, {'2', 5, 5, 2, "xyz\nxyz"}};
    QTest::newRow("miss with box ticked replaces nothing") << "abc" << "zz" << true << "Q"
        << QVector<Step>{{'1', -1, 1, 1, "abc"}};
}

void TstFindDialog::presses()
{
    QFETCH(QString, doc);
    QFETCH(QString, what);
    QFETCH(bool, replace);
    QFETCH(QString, with);
    QFETCH(QVector<Step>, steps);
    Rig rig;
    rig.box->SetPlainText(doc);
    rig.box->Select(1, 1);
    rig.Type(what);
    QCOMPARE(rig.form.FindPos(), 0);
    rig.ReplacementField()->setText(with);
    if (replace)
        QTest::mouseClick(rig.ReplaceBox(), Qt::LeftButton, {}, QPoint(5, 12));
    QCOMPARE(rig.ReplaceBox()->isChecked(), replace);

    for (int i = 0; i < steps.size(); ++i) {
        const Step &s = steps.at(i);
        rig.Press(s.button);
        const QByteArray at = "after press " + QByteArray::number(i + 1);
        QVERIFY2(rig.form.FindPos() == s.findPos, at + ": findPos " + QByteArray::number(rig.form.FindPos()));
        QVERIFY2(rig.box->SelStart() == s.selStart, at + ": SelStart " + QByteArray::number(rig.box->SelStart()));
        QVERIFY2(rig.box->SelLength() == s.selLength, at + ": SelLength " + QByteArray::number(rig.box->SelLength()));
        QVERIFY2(rig.box->Text() == CrLf(s.text), at + ": text " + rig.box->Text().toUtf8());
    }
    QVERIFY(rig.messages.isEmpty());
}

void TstFindDialog::emptySearchText_data()
{
    QTest::addColumn<char>("button");
    QTest::addColumn<bool>("replace");
    QTest::newRow("查找") << '1' << false;
    QTest::newRow("继续") << '2' << false;
    QTest::newRow("查找, box ticked") << '1' << true;
    QTest::newRow("继续, box ticked") << '2' << true;
}

void TstFindDialog::emptySearchText()
{
    QFETCH(char, button);
    QFETCH(bool, replace);
    Rig rig;
    rig.box->SetPlainText(QStringLiteral("abc abc"));
    rig.box->Select(2, 3);
    rig.ReplaceBox()->setChecked(replace);
    rig.ReplacementField()->setText(QStringLiteral("x"));
    rig.form.SetFindPos(4);
    rig.Press(button);
    QCOMPARE(rig.messages.size(), 1);
    QCOMPARE(rig.messages[0].text, QStringLiteral("请输入要查找的内容"));
    QCOMPARE(rig.messages[0].title, QStringLiteral("提示"));
    QCOMPARE(rig.messages[0].buttons, MsgButtons::Ok);
    QCOMPARE(rig.form.FindPos(), 4);
    QCOMPARE(rig.box->SelStart(), 2);
    QCOMPARE(rig.box->SelLength(), 3);
    QCOMPARE(rig.box->Text(), QStringLiteral("abc abc"));
}

void TstFindDialog::editingSearchTextRestarts_data()
{
    QTest::addColumn<QString>("edit");
    QTest::newRow("same text typed again") << "retype";
    QTest::newRow("last key rubbed out and typed again") << "backspace";
    QTest::newRow("text set by code") << "set";
}

void TstFindDialog::editingSearchTextRestarts()
{
    QFETCH(QString, edit);
    Rig rig;
    rig.box->SetPlainText(QStringLiteral("ab ab ab"));
    rig.Type(QStringLiteral("ab"));
    rig.Press('1');
    rig.Press('2');
    QCOMPARE(rig.form.FindPos(), 3);
    if (edit == QLatin1String("retype")) {
        rig.Type(QStringLiteral("ab"));
    } else if (edit == QLatin1String("backspace")) {
        QTest::keyClick(rig.SearchField(), Qt::Key_End);
        QTest::keyClick(rig.SearchField(), Qt::Key_Backspace);
        QTest::keyClicks(rig.SearchField(), QStringLiteral("b"));
    } else {
        rig.SearchField()->setText(QStringLiteral("AB"));
    }
    QCOMPARE(rig.form.FindPos(), 0);
    rig.Press('2');
    QCOMPARE(rig.form.FindPos(), 3);   // from 0 + 2, not from 3 + 2
}

void TstFindDialog::documentEditsDoNotShiftPosition()
{
    Rig rig;
    rig.box->SetPlainText(QStringLiteral("ab ab ab"));
    rig.Type(QStringLiteral("ab"));
    rig.Press('1');
    rig.Press('2');
    QCOMPARE(rig.form.FindPos(), 3);
    rig.box->SetSelStart(0);
    rig.box->SetSelText(QStringLiteral("xx"));   // now "xxab ab ab"
    QCOMPARE(rig.form.FindPos(), 3);
    rig.Press('2');                              // from 5
    QCOMPARE(rig.form.FindPos(), 5);
    rig.box->Select(0, 5);
    rig.box->SetSelText(QString());             // now " ab ab"
    rig.Press('1');                              // from 5, past the last "ab" at 4
    QCOMPARE(rig.form.FindPos(), -1);
}

void TstFindDialog::searchingFocusesEditor()
{
    Rig rig;
    rig.box->SetPlainText(QStringLiteral("Mov eax, MOV ebx"));
    rig.window->activateWindow();
    QTRY_VERIFY(rig.window->isActiveWindow());
    rig.Type(QStringLiteral("mov"));
    rig.Press('1');
    QTRY_VERIFY(rig.main.isActiveWindow());
    QVERIFY(rig.box->hasFocus());
    QCOMPARE(rig.box->SelText(), QStringLiteral("Mov"));
}

void TstFindDialog::replacementIsOneUndoStep()
{
    Rig rig;
    rig.box->SetPlainText(QStringLiteral("ab ab"));
    rig.Type(QStringLiteral("ab"));
    rig.ReplacementField()->setText(QStringLiteral("xyz"));
    rig.ReplaceBox()->setChecked(true);
    rig.Press('1');
    rig.Press('2');
    QCOMPARE(rig.box->Text(), QStringLiteral("xyz xyz"));
    rig.box->Undo();
    QCOMPARE(rig.box->Text(), QStringLiteral("xyz ab"));
    rig.box->Undo();
    QCOMPARE(rig.box->Text(), QStringLiteral("ab ab"));
}

void TstFindDialog::enterInFieldDoesNothing()
{
    Rig rig;
    rig.box->SetPlainText(QStringLiteral("ab ab"));
    rig.Type(QStringLiteral("ab"));
    rig.ReplacementField()->setText(QStringLiteral("xyz"));
    rig.ReplaceBox()->setChecked(true);
    rig.form.SetFindPos(3);
    QTest::keyClick(rig.SearchField(), Qt::Key_Return);
    QTest::keyClick(rig.ReplacementField(), Qt::Key_Enter);
    QCOMPARE(rig.form.FindPos(), 3);
    QCOMPARE(rig.box->Text(), QStringLiteral("ab ab"));
}

void TstFindDialog::mainWindowClosed_data()
{
    QTest::addColumn<char>("button");
    QTest::addColumn<QString>("what");
    QTest::newRow("查找") << '1' << "ab";
    QTest::newRow("继续") << '2' << "ab";
    QTest::newRow("查找, empty text") << '1' << "";
    QTest::newRow("继续, empty text") << '2' << "";
}

void TstFindDialog::mainWindowClosed()
{
    QFETCH(char, button);
    QFETCH(QString, what);
    Rig rig;
    rig.box->SetPlainText(QStringLiteral("ab ab"));
    rig.Type(what);
    rig.ReplacementField()->setText(QStringLiteral("xyz"));
    rig.ReplaceBox()->setChecked(true);
    rig.form.SetFindPos(3);
    delete rig.box.data();
    QVERIFY(rig.box.isNull());
    rig.Press(button);
    QCOMPARE(rig.form.FindPos(), 3);
    QVERIFY(rig.messages.isEmpty());
    QVERIFY(rig.window->isVisible());
}

void TstFindDialog::reopenKeepsPositionNotFields()
{
    RichTextBox box;
    box.SetPlainText(QStringLiteral("ab ab ab"));
    SecondaryWindow holder([&box] { return std::make_unique<FindDialog>([&box] { return &box; }); });
    holder.Show();
    auto *form = static_cast<FindDialog *>(holder.Form());
    QPointer<QWidget> first = holder.Window();
    auto control = [&holder](const char *name) { return holder.Window()->findChild<QWidget *>(QLatin1String(name)); };
    QTest::keyClicks(control("Text1"), QStringLiteral("ab"));
    qobject_cast<QLineEdit *>(control("Text2"))->setText(QStringLiteral("zz"));
    qobject_cast<QCheckBox *>(control("Check2"))->setChecked(true);
    QTest::mouseClick(control("Command1"), Qt::LeftButton);
    QTest::mouseClick(control("Command2"), Qt::LeftButton);
    QCOMPARE(form->FindPos(), 3);
    QCOMPARE(box.Text(), QStringLiteral("zz zz ab"));

    first->close();
    QTRY_VERIFY(first.isNull());
    holder.Show();
    QCOMPARE(holder.Form(), form);
    QCOMPARE(form->FindPos(), 3);
    QCOMPARE(qobject_cast<QLineEdit *>(control("Text1"))->text(), QString());
    QCOMPARE(qobject_cast<QLineEdit *>(control("Text2"))->text(), QString());
    QVERIFY(!qobject_cast<QCheckBox *>(control("Check2"))->isChecked());
    QVERIFY(!qobject_cast<QCheckBox *>(control("Check1"))->isEnabled());

    // The new controls drive the same position: setting the search text by
    // code, as the design's empty field does not, still starts afresh.
    qobject_cast<QLineEdit *>(control("Text1"))->setText(QStringLiteral("ab"));
    QCOMPARE(form->FindPos(), 0);
    QTest::mouseClick(control("Command2"), Qt::LeftButton);
    QCOMPARE(form->FindPos(), 6);
    QCOMPARE(box.Text(), QStringLiteral("zz zz ab"));   // replacement box unticked now
}

QTEST_MAIN(TstFindDialog)
#include "tst_find_dialog.moc"
