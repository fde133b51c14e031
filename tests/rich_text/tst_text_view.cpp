// The editing area's widget as drawn and scrolled: pixels of the real
// widget, offscreen.
#include "rich_text/text_view.h"
#include "rich_text/view_layout.h"

#include <QScrollBar>
#include <QtTest>

using namespace lumora;

namespace {

constexpr QChar kPicture = QChar::ObjectReplacementCharacter;

QString Lines(int count, int words)
{
    QString s;
    for (int p = 0; p < count; ++p) {
        for (int w = 0; w < (p % 4 == 0 ? words : 1); ++w)
            s += QStringLiteral("p%1w%2 ").arg(p).arg(w);
        s += QStringLiteral("\r\n");
    }
    return s;
}

QImage Shot(TextView &view)
{
    return view.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

int CountColor(const QImage &img, QColor color)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x)
            n += img.pixel(x, y) == color.rgb() ? 1 : 0;
    }
    return n;
}

} // namespace

class TestTextView : public QObject
{
    Q_OBJECT
private slots:
    void selectionIsPainted();
    void tallPictureSeenRowByRow();
    void scrollSteps_data();
    void scrollSteps();
    void textStaysWhenHeightsAboveChange();
    void scrollingUpIntoEstimatesMovesByThePixels_data();
    void scrollingUpIntoEstimatesMovesByThePixels();
    void hugeDocumentScrollsToItsEnd();
    void caretBroughtIntoView_data();
    void caretBroughtIntoView();
    void longUnwrappedLineShowsTheSelection();
    void caretBlinksWithFocus();
    void undecodablePictureIsAFramedBox();
};

void TestTextView::selectionIsPainted()
{
    TextView view;
    view.resize(300, 120);
    view.Buffer().SetDocument(Document::FromText(QStringLiteral("Hello world\r\nsecond")));
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    const QColor back = view.palette().color(QPalette::Highlight);
    QCOMPARE(CountColor(Shot(view), back), 0);
    QVERIFY(CountColor(Shot(view), view.palette().color(QPalette::Text)) > 20);
    view.Buffer().SetSelection(0, 5);
    const QImage shot = Shot(view);
    QVERIFY(CountColor(shot, back) > 5 * view.Layout().LineHeight());
    // Only the first line's first word is marked.
    const int below = view.Layout().LineHeight() + TextView::kMargin + 1;
    QCOMPARE(CountColor(shot.copy(0, below, 300, 120 - below), back), 0);
}

// Scrolling with the bar's arrow brings every pixel row of a picture taller
// than the window into view.
void TestTextView::tallPictureSeenRowByRow()
{
    constexpr int kRows = 3000;
    QImage image(40, kRows, QImage::Format_RGB32);
    for (int r = 0; r < kRows; ++r) {
        for (int x = 0; x < 40; ++x)
            image.setPixel(x, r, qRgb(r & 0xFF, r >> 8, 0x80));
    }
    Document d = Document::FromText(QString("top\r\n") + kPicture + "\r\nafter");
    Picture pic;
    pic.image = image;
    pic.width = 40;
    pic.height = kRows;
    d.pictures.append(pic);
    CharFormat f;
    f.picture = 0;
    d.runs.Replace(5, 1, RunList(1, d.formats.Id(f)));
    TextView view;
    view.resize(300, 200);
    view.Buffer().SetDocument(d);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    std::vector<bool> seen(kRows, false);
    QScrollBar *bar = view.verticalScrollBar();
    for (int steps = 0;; ++steps) {
        const QImage shot = Shot(view);
        for (int y = 0; y < shot.height(); ++y) {
            const QRgb c = shot.pixel(TextView::kMargin + 20, y);
            if (qBlue(c) == 0x80 && qRed(c) + 256 * qGreen(c) < kRows)
                seen[size_t(qRed(c) + 256 * qGreen(c))] = true;
        }
        if (bar->value() == bar->maximum())
            break;
        QVERIFY(steps < 1000);
        bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    }
    QCOMPARE(int(std::count(seen.begin(), seen.end(), false)), 0);
}

void TestTextView::scrollSteps_data()
{
    QTest::addColumn<int>("how");
    QTest::newRow("bar arrow") << 0;
    QTest::newRow("bar page") << 1;
    QTest::newRow("wheel notch") << 2;
}

void TestTextView::scrollSteps()
{
    QFETCH(int, how);
    TextView view;
    view.resize(300, 200);
    view.Buffer().SetDocument(Document::FromText(Lines(500, 1)));
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    const int line = view.Layout().LineHeight();
    const qint64 from = 10 * line + 3;
    view.SetScrollY(from);
    QCOMPARE(view.ScrollY(), from);
    qint64 step = 0;
    if (how == 0) {
        view.verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        step = line;
    } else if (how == 1) {
        view.verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
        step = view.viewport()->height();
    } else {
        const QPointF at(50, 50);
        QWheelEvent wheel(at, view.viewport()->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view.viewport(), &wheel);
        step = qint64(QApplication::wheelScrollLines()) * line;
    }
    QCOMPARE(view.ScrollY(), from + step);
    // The paragraph at the top is the one these pixels hold.
    const int p = view.Layout().Heights().ParagraphAt(from + step - TextView::kMargin).paragraph;
    QCOMPARE(p, int((from + step - TextView::kMargin) / line));
}

// Heights corrected above the window, and a line break typed there, leave
// the text in the window where it was.
void TestTextView::textStaysWhenHeightsAboveChange()
{
    TextView view;
    view.resize(300, 200);
    view.Buffer().SetDocument(Document::FromText(Lines(400, 30)));
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.SetScrollY(view.Layout().ParagraphTop(300) + 7);
    const QImage before = Shot(view);
    const qint64 total = view.Layout().TotalHeight();
    view.Layout().Prepare(0, int(view.Layout().ParagraphTop(250)));
    QVERIFY(view.Layout().TotalHeight() != total);
    QCOMPARE(Shot(view), before);
    const int at = view.Buffer().Store().ParagraphStart(20);
    view.Buffer().SetSelection(at, at);
    view.Buffer().InsertBreak();
    QCOMPARE(Shot(view), before);
    // A new width lays everything out anew; the same paragraph stays on top.
    view.resize(250, 200);
    Shot(view);
    QCOMPARE(view.Layout().Heights().ParagraphAt(view.ScrollY() - TextView::kMargin).paragraph, 301);
}

// Rows of a paragraph (or of a piece of a long one) not yet laid out come
// into view at the top: its measured height differs from the estimate, but
// what was on screen moves down by exactly the pixels scrolled.
void TestTextView::scrollingUpIntoEstimatesMovesByThePixels_data()
{
    QTest::addColumn<bool>("pieces");
    QTest::newRow("paragraphs") << false;
    QTest::newRow("pieces of one paragraph") << true;
}

void TestTextView::scrollingUpIntoEstimatesMovesByThePixels()
{
    QFETCH(bool, pieces);
    TextView view;
    view.resize(300, 200);
    view.Buffer().SetDocument(Document::FromText(pieces ? Lines(1, 6000) : Lines(400, 30)));
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    const int paragraph = pieces ? 0 : 300;
    const qint64 top = pieces ? qint64(view.Layout().CaretRect(5 * 4096).top()) : view.Layout().ParagraphTop(301);
    view.SetScrollY(top + TextView::kMargin);
    const QImage before = Shot(view);
    const int estimate = view.Layout().Heights().Height(paragraph);
    view.SetScrollY(view.ScrollY() - 3);
    const QImage after = Shot(view);
    QVERIFY(view.Layout().Heights().Height(paragraph) != estimate);
    const int rows = after.height() - 3;
    QCOMPARE(after.copy(0, 3, after.width(), rows), before.copy(0, 0, before.width(), rows));
}

// Past what an int counts, the bar counts coarser and still reaches the end.
void TestTextView::hugeDocumentScrollsToItsEnd()
{
    TextView view;
    view.resize(300, 200);
    QFont font = view.font();
    font.setPixelSize(1800);
    view.SetBaseFont(font);
    QString text = QString(1400000, u'\n');
    text += QStringLiteral("last");
    view.Buffer().SetDocument(Document::FromText(text));
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QVERIFY(view.Layout().TotalHeight() > qint64(INT_MAX));
    QScrollBar *bar = view.verticalScrollBar();
    bar->setValue(bar->maximum());
    const qint64 end = view.Layout().TotalHeight() + 2 * TextView::kMargin - view.viewport()->height();
    QCOMPARE(view.ScrollY(), end);
    view.SetScrollY(end - 1);
    QCOMPARE(view.ScrollY(), end - 1);
    bar->setValue(bar->maximum() / 2);
    QVERIFY(std::abs(view.ScrollY() - end / 2) < end / 1000);
}

void TestTextView::caretBroughtIntoView_data()
{
    QTest::addColumn<int>("paragraph");
    QTest::addColumn<int>("pictureHeight");
    QTest::newRow("to the end past pictures not yet laid out") << 199 << 120;
    QTest::newRow("to the middle") << 90 << 120;
    QTest::newRow("back to the top") << 0 << 120;
    QTest::newRow("a line taller than the window") << 150 << 700;
}

// Pictures are estimated one line tall until laid out: bringing the caret
// into view must still end with the caret in the window.
void TestTextView::caretBroughtIntoView()
{
    QFETCH(int, paragraph);
    QFETCH(int, pictureHeight);
    QString text;
    for (int p = 0; p < 200; ++p)
        text += QStringLiteral("x") + kPicture + QStringLiteral("\r\n");
    text += QStringLiteral("end");
    Document d = Document::FromText(text);
    Picture pic;
    pic.width = 30;
    pic.height = pictureHeight;
    d.pictures.append(pic);
    CharFormat f;
    f.picture = 0;
    const int format = d.formats.Id(f);
    for (int p = 0; p < 200; ++p)
        d.runs.Replace(p * 4 + 1, 1, RunList(1, format));
    TextView view;
    view.resize(300, 300);
    view.Buffer().SetDocument(d);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.SetScrollY(view.Layout().ParagraphTop(100));
    Shot(view);
    const int pos = view.Buffer().Store().ParagraphStart(paragraph) + 1;
    view.Buffer().SetSelection(pos, pos);
    view.EnsureCaretVisible();
    Shot(view);
    const QRect caret = view.CaretRect();
    if (pictureHeight < view.viewport()->height())
        QVERIFY2(view.viewport()->rect().contains(caret), qPrintable(QStringLiteral("%1 %2").arg(caret.top()).arg(caret.bottom())));
    else
        QCOMPARE(caret.bottom(), view.viewport()->height() - 1);
}

// Pieces of a long line lie side by side at estimated places until laid
// out; bringing a selection in the middle into view must show it.
void TestTextView::longUnwrappedLineShowsTheSelection()
{
    QString text;
    while (text.size() < 100000)
        text += QStringLiteral("mov eax, 取值; ");
    TextView view;
    view.resize(400, 150);
    view.SetWordWrap(false);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    const QColor back = view.palette().color(QPalette::Highlight);
    for (const int at : {50000, 4096 * 7 + 3, 99990}) {
        view.Buffer().SetDocument(Document::FromText(text));
        view.Buffer().SetSelection(at - 4, at);
        view.EnsureCaretVisible();
        QVERIFY2(CountColor(Shot(view), back) > 4 * view.Layout().LineHeight(), qPrintable(QString::number(at)));
    }
}

void TestTextView::caretBlinksWithFocus()
{
    TextView view;
    view.resize(200, 100);
    view.Buffer().SetDocument(Document::FromText(QStringLiteral("    ")));
    view.Buffer().SetSelection(2, 2);
    view.show();
    view.activateWindow();
    view.setFocus();
    QVERIFY(QTest::qWaitForWindowActive(&view));
    const QRect caret = view.CaretRect();
    const QRgb ink = view.palette().color(QPalette::Text).rgb();
    const auto shown = [&] {
        const QImage shot = Shot(view);
        bool any = false;
        for (int x = caret.left() - 1; x <= caret.right() + 1; ++x)
            any = any || shot.pixel(x, caret.center().y()) == ink;
        return any;
    };
    QTRY_VERIFY(shown());
    QTRY_VERIFY(!shown());
    QTRY_VERIFY(shown());
    view.clearFocus();
    QVERIFY(!shown());
    view.SetReadOnly(true);
    view.setFocus();
    QVERIFY(!shown());
}

void TestTextView::undecodablePictureIsAFramedBox()
{
    Document d = Document::FromText(QString("a") + kPicture);
    Picture pic;
    pic.width = 50;
    pic.height = 40;
    d.pictures.append(pic);
    CharFormat f;
    f.picture = 0;
    d.runs.Replace(1, 1, RunList(1, d.formats.Id(f)));
    TextView view;
    view.resize(200, 100);
    view.Buffer().SetDocument(d);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    const QImage shot = Shot(view);
    QVERIFY(CountColor(shot, QColor(0xF0, 0xF0, 0xF0)) > 40 * 30);
    QVERIFY(CountColor(shot, QColor(0x80, 0x80, 0x80)) >= 2 * (50 + 40) - 4);
}

QTEST_MAIN(TestTextView)
#include "tst_text_view.moc"
