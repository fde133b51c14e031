#include "tests/support/text_view_helpers.h"

#include <QAccessible>
#include <QClipboard>
#include <QMenu>
#include <QMimeData>
#include <QtTest>

using lumora::TextView;
using namespace lumora::testing;

namespace {
// The protected hooks, reached as a subclass reaches them.
class View : public TextView
{
public:
    using TextView::CreateContextMenu;
};
} // namespace

class TstTextViewPointer : public QObject
{
    Q_OBJECT
private slots:
    void mouseSelects_data();
    void mouseSelects();
    void dragPastTheEdgeScrolls();
    void contextMenuItems_data();
    void contextMenuItems();
    void drops_data();
    void drops();
    void accessibleText();
};

void TstTextViewPointer::mouseSelects_data()
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

void TstTextViewPointer::mouseSelects()
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

void TstTextViewPointer::dragPastTheEdgeScrolls()
{
    TextView v;
    QStringList lines;
    for (int i = 0; i < 200; ++i)
        lines << QStringLiteral("line %1").arg(i);
    Open(v, lines.join(QStringLiteral("\r\n")));
    QWidget *vp = v.viewport();
    QTest::mousePress(vp, Qt::LeftButton, {}, PointOf(v, 2));
    QTest::mouseMove(vp, QPoint(20, vp->height() + 40));
    // The text keeps scrolling while the pointer stays put, the selection with it.
    QTRY_VERIFY(v.ScrollY() > 2 * vp->height());
    QTest::mouseRelease(vp, Qt::LeftButton, {}, QPoint(20, vp->height() + 40));
    const qint64 stopped = v.ScrollY();
    QCOMPARE(v.Buffer().Anchor(), 2);
    QVERIFY(v.Layout().CaretRect(v.Buffer().Caret()).top() >= qreal(stopped));
    QTest::qWait(120);
    QCOMPARE(v.ScrollY(), stopped);
}

void TstTextViewPointer::contextMenuItems_data()
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

void TstTextViewPointer::contextMenuItems()
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

void TstTextViewPointer::drops_data()
{
    QTest::addColumn<bool>("file");
    QTest::addColumn<QString>("want");
    QTest::newRow("text goes in at the drop point") << false << "ab+cd";
    QTest::newRow("files are ignored") << true << "abcd";
}

void TstTextViewPointer::drops()
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

void TstTextViewPointer::accessibleText()
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

QTEST_MAIN(TstTextViewPointer)
#include "tst_text_view_pointer.moc"
