#include "tests/support/text_view_helpers.h"

#include <QClipboard>
#include <QtTest>

using lumora::TextView;
using namespace lumora::testing;

class TstTextViewInput : public QObject
{
    Q_OBJECT
private slots:
    void keys_data();
    void keys();
    void pageDownMovesCaretAndScrolls();
    void shortcutOverride_data();
    void shortcutOverride();
    void preeditThenCommitIsOneStep();
    void inputMethodQueries();
    void copyOutlivesEdits();
    void readOnlyBlocksEditsOnly_data();
    void readOnlyBlocksEditsOnly();
};

void TstTextViewInput::keys_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("anchor");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("want");
    QTest::addColumn<int>("wantAnchor");
    QTest::addColumn<int>("wantCaret");
    // "abc def" 0-7, break 7-9, "abcxyz" 9-15, break 15-17, "你好" 17-19, a surrogate pair 19-21.
    const QString t = QStringLiteral("abc def\r\nabcxyz\r\n你好\U0001F600");
    const auto move = [&t](const char *name, int anchor, int caret, const char *keys, int wantAnchor, int wantCaret) {
        QTest::newRow(name) << t << anchor << caret << QString::fromLatin1(keys) << t << wantAnchor << wantCaret;
    };
    move("right", 0, 0, "Right", 1, 1);
    move("right over a break", 7, 7, "Right", 9, 9);
    move("left over a break", 9, 9, "Left", 7, 7);
    move("right over a surrogate pair", 19, 19, "Right", 21, 21);
    move("left collapses a selection", 2, 5, "Left", 2, 2);
    move("shift+right extends", 1, 1, "Shift+Right", 1, 2);
    move("ctrl+right skips the space", 0, 0, "Ctrl+Right", 4, 4);
    move("ctrl+right at a line's end", 7, 7, "Ctrl+Right", 9, 9);
    move("ctrl+left", 7, 7, "Ctrl+Left", 4, 4);
    move("ctrl+left at a line's start", 9, 9, "Ctrl+Left", 7, 7);
    move("ctrl+shift+left", 7, 7, "Ctrl+Shift+Left", 7, 4);
    move("home", 12, 12, "Home", 9, 9);
    move("end", 9, 9, "End", 15, 15);
    move("shift+end", 10, 10, "Shift+End", 10, 15);
    move("ctrl+home", 12, 12, "Ctrl+Home", 0, 0);
    move("ctrl+shift+end", 3, 3, "Ctrl+Shift+End", 3, 21);
    move("down keeps the column", 3, 3, "Down", 12, 12);
    move("shift+up", 12, 12, "Shift+Up", 12, 3);
    move("up on the first line", 2, 2, "Up", 2, 2);
    // A run of Chinese with its full-width punctuation is one word, as in
    // Qt's own editors.
    const QString zh = QStringLiteral("你好世界 abc 中文，再见");
    QTest::newRow("ctrl+right over a Chinese run") << zh << 0 << 0 << "Ctrl+Right" << zh << 5 << 5;
    QTest::newRow("ctrl+right over Chinese punctuation") << zh << 9 << 9 << "Ctrl+Right" << zh << 14 << 14;
    QTest::newRow("ctrl+left over a Chinese run") << zh << 4 << 4 << "Ctrl+Left" << zh << 0 << 0;
    QTest::newRow("down keeps x over a short line")
        << "abcdef\r\nab\r\nabcdef" << 5 << 5 << "Down, Down" << "abcdef\r\nab\r\nabcdef" << 17 << 17;
    const auto edit = [](const char *name, const char *text, int caret, const char *keys, const char *want, int to) {
        QTest::newRow(name) << text << caret << caret << keys << want << to << to;
    };
    edit("typing", "ab", 1, "X", "axb", 2);
    edit("ctrl+key types nothing", "ab", 1, "Ctrl+Q", "ab", 1);
    edit("tab types a tab", "ab", 1, "Tab", "a\tb", 2);
    edit("backspace", "abc", 3, "Backspace", "ab", 2);
    edit("delete", "abc", 0, "Del", "bc", 0);
    edit("ctrl+backspace", "abc def", 7, "Ctrl+Backspace", "abc ", 4);
    edit("ctrl+delete", "abc def", 0, "Ctrl+Del", "def", 0);
    edit("enter", "ab", 1, "Return", "a\r\nb", 3);
    edit("shift+enter breaks the paragraph", "ab", 1, "Shift+Return", "a\r\nb", 3);
}

void TstTextViewInput::keys()
{
    QFETCH(QString, text);
    QFETCH(int, anchor);
    QFETCH(int, caret);
    QFETCH(QString, keys);
    QFETCH(QString, want);
    QFETCH(int, wantAnchor);
    QFETCH(int, wantCaret);
    TextView v;
    Open(v, text);
    v.Buffer().SetSelection(anchor, caret);
    const QKeySequence sequence = QKeySequence::fromString(keys);
    QVERIFY(sequence.count() > 0);
    for (int i = 0; i < sequence.count(); ++i)
        QTest::keyClick(&v, sequence[i].key(), sequence[i].keyboardModifiers());
    QCOMPARE(v.Buffer().Text(), want);
    QCOMPARE(v.Buffer().Anchor(), wantAnchor);
    QCOMPARE(v.Buffer().Caret(), wantCaret);
}

void TstTextViewInput::pageDownMovesCaretAndScrolls()
{
    TextView v;
    QStringList lines;
    for (int i = 0; i < 300; ++i)
        lines << QStringLiteral("line %1").arg(i);
    Open(v, lines.join(QStringLiteral("\r\n")));
    const int perPage = v.viewport()->height() / v.Layout().LineHeight();
    QTest::keyClick(&v, Qt::Key_PageDown, Qt::ShiftModifier);
    const int line = v.Buffer().Store().ParagraphAt(v.Buffer().Caret());
    QVERIFY2(std::abs(line - perPage) <= 1, qPrintable(QString::number(line)));
    QCOMPARE(v.Buffer().Anchor(), 0);
    QVERIFY(v.ScrollY() > 0);
    QVERIFY(v.viewport()->rect().contains(v.CaretRect().center()));
    QTest::keyClick(&v, Qt::Key_PageUp);
    QCOMPARE(v.Buffer().Caret(), 0);
    QCOMPARE(v.ScrollY(), 0);
}

void TstTextViewInput::shortcutOverride_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("mods");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<bool>("claimed");
    QTest::newRow("ctrl+c") << int(Qt::Key_C) << int(Qt::ControlModifier) << false << true;
    QTest::newRow("a letter") << int(Qt::Key_A) << int(Qt::NoModifier) << false << true;
    QTest::newRow("escape passes") << int(Qt::Key_Escape) << int(Qt::NoModifier) << false << false;
    QTest::newRow("ctrl+s passes") << int(Qt::Key_S) << int(Qt::ControlModifier) << false << false;
    QTest::newRow("read-only: a letter passes") << int(Qt::Key_A) << int(Qt::NoModifier) << true << false;
    QTest::newRow("read-only: ctrl+z passes") << int(Qt::Key_Z) << int(Qt::ControlModifier) << true << false;
    QTest::newRow("read-only: ctrl+c claimed") << int(Qt::Key_C) << int(Qt::ControlModifier) << true << true;
    QTest::newRow("read-only: left claimed") << int(Qt::Key_Left) << int(Qt::NoModifier) << true << true;
}

void TstTextViewInput::shortcutOverride()
{
    QFETCH(int, key);
    QFETCH(int, mods);
    QFETCH(bool, readOnly);
    QFETCH(bool, claimed);
    TextView v;
    Open(v, QStringLiteral("abc"));
    v.SetReadOnly(readOnly);
    const QString text = key >= Qt::Key_A && key <= Qt::Key_Z && mods == Qt::NoModifier
        ? QString(QChar(key - Qt::Key_A + 'a')) : QString();
    QKeyEvent e(QEvent::ShortcutOverride, key, Qt::KeyboardModifiers(mods), text);
    e.ignore();
    Send(&v, e);
    QCOMPARE(e.isAccepted(), claimed);
}

void TstTextViewInput::preeditThenCommitIsOneStep()
{
    TextView v;
    Open(v, QStringLiteral("ab"));
    v.Buffer().SetSelection(2, 2);
    const quint64 before = v.Buffer().ChangeCount();
    for (const char *typed : {"n", "nih", "nihao"}) {
        QInputMethodEvent preedit(QString::fromLatin1(typed), {});
        Send(&v, preedit);
    }
    QCOMPARE(v.Buffer().Text(), QStringLiteral("ab"));
    QCOMPARE(v.Buffer().ChangeCount(), before);
    // The candidate window follows the input method's cursor in the pre-edit.
    const QRect atEnd = v.inputMethodQuery(Qt::ImCursorRectangle).toRect();
    QInputMethodEvent cursorAtStart(QStringLiteral("nihao"), {{QInputMethodEvent::Cursor, 0, 1, {}}});
    Send(&v, cursorAtStart);
    QVERIFY(v.inputMethodQuery(Qt::ImCursorRectangle).toRect().x() < atEnd.x());
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("你好"));
    Send(&v, commit);
    QCOMPARE(v.Buffer().Text(), QStringLiteral("ab你好"));
    QCOMPARE(v.Buffer().Caret(), 4);
    v.Undo();
    QCOMPARE(v.Buffer().Text(), QStringLiteral("ab"));
}

void TstTextViewInput::inputMethodQueries()
{
    TextView v;
    Open(v, QStringLiteral("first\r\nsecond line"));
    v.Buffer().SetSelection(9, 13);
    QCOMPARE(v.inputMethodQuery(Qt::ImSurroundingText).toString(), QStringLiteral("second line"));
    QCOMPARE(v.inputMethodQuery(Qt::ImCursorPosition).toInt(), 6);
    QCOMPARE(v.inputMethodQuery(Qt::ImAnchorPosition).toInt(), 2);
    QCOMPARE(v.inputMethodQuery(Qt::ImCurrentSelection).toString(), QStringLiteral("cond"));
    QVERIFY(v.inputMethodQuery(Qt::ImEnabled).toBool());
    // The candidate window goes beside the caret: the rectangle is in the
    // coordinates of the widget that has the focus, the frame included.
    const QRect r = v.inputMethodQuery(Qt::ImCursorRectangle).toRect();
    QCOMPARE(r.topLeft(), v.viewport()->mapTo(&v, v.CaretRect().topLeft()));
    v.SetReadOnly(true);
    QVERIFY(!v.inputMethodQuery(Qt::ImEnabled).toBool());
}

void TstTextViewInput::copyOutlivesEdits()
{
    TextView v;
    Open(v, QStringLiteral("a\r\nbc"));
    v.Buffer().SetSelection(0, 4);
    QTest::keyClick(&v, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(&v, Qt::Key_X);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("a\nb"));
}

void TstTextViewInput::readOnlyBlocksEditsOnly_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("mods");
    QTest::newRow("typing") << int(Qt::Key_X) << int(Qt::NoModifier);
    QTest::newRow("backspace") << int(Qt::Key_Backspace) << int(Qt::NoModifier);
    QTest::newRow("delete") << int(Qt::Key_Delete) << int(Qt::NoModifier);
    QTest::newRow("enter") << int(Qt::Key_Return) << int(Qt::NoModifier);
    QTest::newRow("tab") << int(Qt::Key_Tab) << int(Qt::NoModifier);
    QTest::newRow("paste") << int(Qt::Key_V) << int(Qt::ControlModifier);
    QTest::newRow("cut") << int(Qt::Key_X) << int(Qt::ControlModifier);
}

void TstTextViewInput::readOnlyBlocksEditsOnly()
{
    QFETCH(int, key);
    QFETCH(int, mods);
    QGuiApplication::clipboard()->setText(QStringLiteral("pasted"));
    TextView v;
    Open(v, QStringLiteral("abc"));
    v.SetReadOnly(true);
    v.Buffer().SetSelection(0, 1);
    QTest::keyClick(&v, Qt::Key(key), Qt::KeyboardModifiers(mods));
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("你"));
    Send(&v, commit);
    QCOMPARE(v.Buffer().Text(), QStringLiteral("abc"));
    // Moving and copying still work.
    QTest::keyClick(&v, Qt::Key_Right, Qt::ShiftModifier);
    QCOMPARE(v.Buffer().Caret(), 2);
    QTest::keyClick(&v, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("ab"));
}

QTEST_MAIN(TstTextViewInput)
#include "tst_text_view_input.moc"
