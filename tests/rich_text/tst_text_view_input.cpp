#include "rich_text/text_view.h"
#include "rich_text/view_layout.h"

#include <QAccessible>
#include <QClipboard>
#include <QMenu>
#include <QMimeData>
#include <QtTest>

using lumora::Document;
using lumora::TextView;

namespace {

// The protected hooks, reached as a subclass reaches them.
class View : public TextView
{
public:
    using TextView::CreateContextMenu;
};

void Open(TextView &v, const QString &crlfText)
{
    v.resize(420, 300);
    v.show();
    QVERIFY(QTest::qWaitForWindowExposed(&v));
    v.Buffer().SetDocument(Document::FromText(crlfText));
}

// A point on the viewport just inside the character at pos.
QPoint PointOf(const TextView &v, int pos)
{
    const QRectF at = v.Layout().CaretRect(pos);
    return v.ToViewport(QPointF(at.x() + 1, at.center().y())).toPoint();
}

void Send(QWidget *w, QEvent &e) { QCoreApplication::sendEvent(w, &e); }

} // namespace

class TstTextViewInput : public QObject
{
    Q_OBJECT
private slots:
    void keys_data();
    void keys();
    void pageDownMovesCaretAndScrolls();
    void shortcutOverride_data();
    void shortcutOverride();
    void mouseSelects_data();
    void mouseSelects();
    void preeditThenCommitIsOneStep();
    void inputMethodQueries();
    void copyOutlivesEdits();
    void readOnlyBlocksEditsOnly_data();
    void readOnlyBlocksEditsOnly();
    void contextMenuItems_data();
    void contextMenuItems();
    void drops_data();
    void drops();
    void accessibleText();
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

void TstTextViewInput::mouseSelects_data()
{
    QTest::addColumn<QString>("gesture");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<int>("wantAnchor");
    QTest::addColumn<int>("wantCaret");
    // "hello world" 0-11, break 11-13, "second line" 13-24.
    QTest::newRow("click") << "click" << 3 << 3 << 3 << 3;
    QTest::newRow("shift+click extends") << "shift" << 2 << 8 << 2 << 8;
    QTest::newRow("drag") << "drag" << 1 << 9 << 1 << 9;
    QTest::newRow("drag backwards over a break") << "drag" << 16 << 3 << 16 << 3;
    QTest::newRow("double-click takes the word") << "double" << 7 << 7 << 6 << 11;
    QTest::newRow("double-click and drag take words") << "double" << 7 << 15 << 6 << 19;
    QTest::newRow("triple-click takes the paragraph") << "triple" << 7 << 7 << 0 << 13;
}

void TstTextViewInput::mouseSelects()
{
    QFETCH(QString, gesture);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(int, wantAnchor);
    QFETCH(int, wantCaret);
    TextView v;
    Open(v, QStringLiteral("hello world\r\nsecond line"));
    QWidget *vp = v.viewport();
    const QPoint a = PointOf(v, from), b = PointOf(v, to);
    if (gesture == QLatin1String("click")) {
        QTest::mouseClick(vp, Qt::LeftButton, {}, a);
    } else if (gesture == QLatin1String("shift")) {
        QTest::mouseClick(vp, Qt::LeftButton, {}, a);
        QTest::mouseClick(vp, Qt::LeftButton, Qt::ShiftModifier, b);
    } else if (gesture == QLatin1String("drag")) {
        QTest::mousePress(vp, Qt::LeftButton, {}, a);
        QTest::mouseMove(vp, b);
        QTest::mouseRelease(vp, Qt::LeftButton, {}, b);
    } else if (gesture == QLatin1String("double")) {
        QTest::mouseDClick(vp, Qt::LeftButton, {}, a);
        if (from != to) {
            QMouseEvent move(QEvent::MouseMove, b, vp->mapToGlobal(b), Qt::NoButton, Qt::LeftButton, {});
            Send(vp, move);
        }
    } else {
        QTest::mouseDClick(vp, Qt::LeftButton, {}, a);
        QMouseEvent press(QEvent::MouseButtonPress, a, vp->mapToGlobal(a), Qt::LeftButton, Qt::LeftButton, {});
        Send(vp, press);
    }
    QCOMPARE(v.Buffer().Anchor(), wantAnchor);
    QCOMPARE(v.Buffer().Caret(), wantCaret);
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

void TstTextViewInput::contextMenuItems_data()
{
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<bool>("selected");
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("items");   // each item's name, + enabled, - not
    QTest::newRow("caret, text to paste")
        << false << false << "x" << "abc" << "edit-undo- edit-redo- edit-cut- edit-copy- edit-paste+ edit-delete- select-all+";
    QTest::newRow("selection, nothing to paste")
        << false << true << "" << "abc" << "edit-undo- edit-redo- edit-cut+ edit-copy+ edit-paste- edit-delete+ select-all+";
    QTest::newRow("empty document")
        << false << false << "" << "" << "edit-undo- edit-redo- edit-cut- edit-copy- edit-paste- edit-delete- select-all-";
    QTest::newRow("read-only: copy and select all only") << true << true << "x" << "abc" << "edit-copy+ select-all+";
}

void TstTextViewInput::contextMenuItems()
{
    QFETCH(bool, readOnly);
    QFETCH(bool, selected);
    QFETCH(QString, clipboard);
    QFETCH(QString, text);
    QFETCH(QString, items);
    QGuiApplication::clipboard()->setText(clipboard);
    View v;
    Open(v, text);
    v.SetReadOnly(readOnly);
    v.Buffer().SetSelection(0, selected ? 2 : 0);
    std::unique_ptr<QMenu> menu(v.CreateContextMenu());
    QStringList seen;
    for (QAction *a : menu->actions()) {
        if (!a->isSeparator())
            seen << a->objectName() + (a->isEnabled() ? u'+' : u'-');
        QVERIFY(a->isSeparator() || !a->text().isEmpty());
    }
    QCOMPARE(seen.join(u' '), items);
}

void TstTextViewInput::drops_data()
{
    QTest::addColumn<bool>("file");
    QTest::addColumn<QString>("want");
    QTest::newRow("text goes in at the drop point") << false << "ab+cd";
    QTest::newRow("files are ignored") << true << "abcd";
}

void TstTextViewInput::drops()
{
    QFETCH(bool, file);
    QFETCH(QString, want);
    TextView v;
    Open(v, QStringLiteral("abcd"));
    QMimeData mime;
    mime.setText(QStringLiteral("+"));
    if (file)
        mime.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/x.txt"))});
    const QPoint at = PointOf(v, 2) - QPoint(1, 0);
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, {});
    Send(v.viewport(), enter);
    QCOMPARE(enter.isAccepted(), !file);
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, {});
    Send(v.viewport(), drop);
    QCOMPARE(v.Buffer().Text(), want);
}

void TstTextViewInput::accessibleText()
{
    TextView v;
    Open(v, QStringLiteral("hello world\r\nsecond"));
    v.Buffer().SetSelection(6, 11);
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(&v);
    QVERIFY(iface);
    QCOMPARE(iface->role(), QAccessible::EditableText);
    QAccessibleTextInterface *text = iface->textInterface();
    QVERIFY(text);
    QCOMPARE(text->characterCount(), 19);
    QCOMPARE(text->text(0, 5), QStringLiteral("hello"));
    QCOMPARE(text->cursorPosition(), 11);
    QCOMPARE(text->selectionCount(), 1);
    int from = -1, to = -1;
    text->selection(0, &from, &to);
    QCOMPARE(std::pair(from, to), std::pair(6, 11));
    QCOMPARE(text->textAtOffset(8, QAccessible::WordBoundary, &from, &to), QStringLiteral("world"));
    QCOMPARE(text->textAtOffset(3, QAccessible::LineBoundary, &from, &to), QStringLiteral("hello world\r\n"));
    QCOMPARE(text->textAfterOffset(3, QAccessible::LineBoundary, &from, &to), QStringLiteral("second"));
    text->setSelection(0, 13, 15);
    QCOMPARE(std::pair(v.Buffer().Anchor(), v.Buffer().Caret()), std::pair(13, 15));
    v.SetReadOnly(true);
    QVERIFY(iface->state().readOnly && !iface->state().editable);
}

QTEST_MAIN(TstTextViewInput)
#include "tst_text_view_input.moc"
