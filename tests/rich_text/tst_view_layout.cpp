// The geometry of the editing area's layout: positions and points agree,
// wrapped lines, pictures and long lines in pieces, heights that start as
// estimates and are corrected without moving what is on screen.
#include "rich_text/view_layout.h"

#include <QtTest>

using namespace lumora;

namespace {

constexpr QChar kPicture = QChar::ObjectReplacementCharacter;

// A document whose U+FFFC characters show pictures of the given sizes, in
// turn; a picture without an image shows as a framed box.
Document WithPictures(const QString &text, const QList<QSize> &sizes)
{
    Document d = Document::FromText(text);
    int next = 0;
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] != kPicture || sizes.isEmpty())
            continue;
        const QSize size = sizes[next % sizes.size()];
        Picture p;
        p.width = size.width();
        p.height = size.height();
        if (next % 2 == 0) {
            p.image = QImage(size, QImage::Format_RGB32);
            p.image.fill(Qt::darkCyan);
        }
        d.pictures.append(p);
        CharFormat f;
        f.picture = next++;
        d.runs.Replace(i, 1, RunList(1, d.formats.Id(f)));
    }
    return d;
}

QString Words(int count, int seed)
{
    QString s;
    for (int i = 0; i < count; ++i)
        s += QStringLiteral("w%1%2 ").arg(i * seed % 97).arg(QString(i % 5, u'x'));
    return s;
}

struct Fixture
{
    EditBuffer buffer;
    ViewLayout layout{buffer};
    explicit Fixture(Document d, int wrap)
    {
        buffer.SetListener([this](const EditBuffer::Change &c) { layout.OnChange(c); });
        buffer.SetDocument(std::move(d));
        layout.SetWrapWidth(wrap);
    }
};

} // namespace

class TestViewLayout : public QObject
{
    Q_OBJECT
private slots:
    void roundTrip_data();
    void roundTrip();
    void pairsStayWholeAcrossPieces();
    void visualLines();
    void picturesStandOnTheBaseline();
    void estimatesCorrectedKeepTheTop();
    void editsKeepHeightsInStep();
    void wrapOnAndOff();
    void alignments_data();
    void alignments();
    void preeditAtItsPlace();
    void moreParagraphsThanTheCacheHolds();
    void inStepWithRandomEdits_data();
    void inStepWithRandomEdits();
};

void TestViewLayout::roundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("wrap");
    QTest::addColumn<QList<QSize>>("pictures");
    const QString words = Words(120, 7);
    QTest::newRow("wrapped paragraphs") << words + "\r\n\r\n" + words << 230 << QList<QSize>();
    QTest::newRow("soft breaks") << QString("ab") + QChar::LineSeparator + "cd" + QChar::LineSeparator << 0
                                 << QList<QSize>();
    QTest::newRow("pictures among words")
        << QString("one ") + kPicture + " two " + kPicture + kPicture + " three\r\n" + kPicture << 150
        << QList<QSize>{{60, 90}, {200, 20}, {10, 300}};
    QTest::newRow("picture characters naming no picture") << QString("x") + kPicture + kPicture + "y" << 0
                                                          << QList<QSize>();
    QTest::newRow("reserved characters") << QString("a") + QChar(0x2029) + "b" + QChar(0xFDD0) + QChar(0xFDD1) + "c"
                                         << 0 << QList<QSize>();
    QTest::newRow("long line wrapped") << QString(10000, u'a') + " " + Words(50, 3) << 400 << QList<QSize>();
    QTest::newRow("long line unwrapped") << Words(2000, 5) + "\r\nz" << 0 << QList<QSize>();
}

// Every position's caret, pointed at, gives the position back.
void TestViewLayout::roundTrip()
{
    QFETCH(QString, text);
    QFETCH(int, wrap);
    QFETCH(QList<QSize>, pictures);
    Fixture f(WithPictures(text, pictures), wrap);
    const TextStore &s = f.buffer.Store();
    for (int pos = 0; pos <= s.Length(); ++pos) {
        if (s.SnapDown(pos) != pos || (pos > 0 && s.At(pos - 1).isHighSurrogate()))
            continue;
        if (text.size() > 4000 && pos % 37 != 0 && std::abs(pos - 4096) > 3 && std::abs(pos - 8192) > 3)
            continue;
        const QRectF r = f.layout.CaretRect(pos);
        QVERIFY2(r.height() > 0, qPrintable(QString::number(pos)));
        if (wrap > 0)
            QVERIFY2(r.left() <= wrap + 1, qPrintable(QString::number(pos)));
        QCOMPARE(f.layout.PositionAt(QPointF(r.left() + 0.5, r.center().y())), pos);
    }
}

// Up and down move between visual lines of wrapped text and across pieces
// and paragraphs; start and end of a line bound the caret.
// A surrogate pair cut by a piece's end would show as two broken halves.
void TestViewLayout::pairsStayWholeAcrossPieces()
{
    QString text = QStringLiteral("a");
    for (int i = 0; i < 5000; ++i)
        text += QStringLiteral("\U0001F600");
    Fixture f(Document::FromText(text), 0);
    const qreal width = f.layout.CaretRect(3).left() - f.layout.CaretRect(1).left();
    for (int pos = 4091; pos < 4101; pos += 2)
        QCOMPARE(f.layout.CaretRect(pos + 2).left() - f.layout.CaretRect(pos).left(), width);
}

void TestViewLayout::visualLines()
{
    const QString text = Words(60, 3) + "\r\n" + QString(9000, u'q') + "\r\nend";
    Fixture f(Document::FromText(text), 200);
    int pos = 0, lines = 0;
    qreal lastY = -1;
    while (true) {
        const QRectF r = f.layout.CaretRect(pos);
        QVERIFY(r.top() > lastY);
        lastY = r.top();
        QVERIFY(f.layout.LineStart(pos) <= pos && pos <= f.layout.LineEnd(pos));
        const int next = f.layout.PositionBelow(pos, 0);
        if (next == pos)
            break;
        QCOMPARE(f.layout.PositionAbove(next, 0), f.layout.LineStart(pos));
        pos = next;
        ++lines;
    }
    QCOMPARE(pos, text.lastIndexOf("end"));
    QCOMPARE(qint64(lastY) + f.layout.LineHeight(), f.layout.TotalHeight());
    QVERIFY(lines > 9000 * 7 / 200);
}

void TestViewLayout::picturesStandOnTheBaseline()
{
    const QString text = QString("a") + kPicture + "b\r\nc";
    Fixture f(WithPictures(text, {{40, 300}}), 500);
    const QRectF a = f.layout.CaretRect(0), pic = f.layout.CaretRect(1), b = f.layout.CaretRect(2);
    const int line = f.layout.LineHeight();
    QVERIFY(a.height() >= 300 && a.height() < 300 + line);
    QCOMPARE(b.left() - pic.left(), 40.0);
    QCOMPARE(f.layout.CaretRect(5).top(), a.bottom());
    QCOMPARE(f.layout.TotalHeight(), qint64(a.height()) + line);
}

// Paragraphs are estimated until laid out; laying out those above a kept
// paragraph reports how far it moved, and the total is the sum measured.
void TestViewLayout::estimatesCorrectedKeepTheTop()
{
    QString text;
    for (int p = 0; p < 400; ++p)
        text += (p % 3 == 0 ? Words(40, p) : QStringLiteral("short")) + QChar::LineSeparator + "\r\n";
    Fixture f(Document::FromText(text), 300);
    const ParagraphHeights &h = f.layout.Heights();
    QVERIFY(!h.IsMeasured(200));
    const qint64 before = f.layout.ParagraphTop(300);
    const qint64 shift = f.layout.Prepare(f.layout.ParagraphTop(100), int(before - f.layout.ParagraphTop(100)), 300);
    QVERIFY(h.IsMeasured(100) && h.IsMeasured(150) && !h.IsMeasured(40) && !h.IsMeasured(350));
    QVERIFY(shift != 0);
    QCOMPARE(f.layout.ParagraphTop(300) - before, shift);
    f.layout.Prepare(0, INT_MAX / 2);
    qint64 sum = 0;
    for (int p = 0; p < h.Count(); ++p) {
        QVERIFY(h.IsMeasured(p));
        const int last = f.buffer.Store().ParagraphEnd(p);
        sum = std::max<qint64>(sum, qint64(f.layout.CaretRect(last).bottom()));
    }
    QCOMPARE(f.layout.TotalHeight(), sum);
}

// Breaks typed and deleted keep one height per paragraph and the carets of
// later paragraphs where the text is.
void TestViewLayout::editsKeepHeightsInStep()
{
    Fixture f(Document::FromText(Words(30, 2) + "\r\nmiddle\r\n" + Words(30, 4)), 180);
    f.layout.Prepare(0, 2000);
    const int line = f.layout.LineHeight();
    const int end = f.buffer.Length();
    const qreal before = f.layout.CaretRect(end).top();
    f.buffer.SetSelection(3, 3);
    f.buffer.InsertBreak();
    f.buffer.InsertBreak();
    QCOMPARE(f.layout.Heights().Count(), f.buffer.ParagraphCount());
    f.layout.Prepare(0, 2000);
    QCOMPARE(f.layout.CaretRect(end + 4).top(), before + 2 * line);
    f.buffer.SetSelection(2, 12);
    f.buffer.DeleteBackward();
    QCOMPARE(f.layout.Heights().Count(), f.buffer.ParagraphCount());
    f.layout.Prepare(0, 2000);
    const int at = f.buffer.Text().indexOf("middle");
    QCOMPARE(f.layout.PositionAt(f.layout.CaretRect(at).center()), at);
    QCOMPARE(f.layout.TotalHeight(), qint64(f.layout.CaretRect(f.buffer.Length()).bottom()));
}

void TestViewLayout::wrapOnAndOff()
{
    const QString text = Words(200, 9);
    Fixture f(Document::FromText(text), 0);
    const int line = f.layout.LineHeight();
    QCOMPARE(f.layout.TotalHeight(), qint64(line));
    const qreal right = f.layout.CaretRect(int(text.size())).left();
    QVERIFY(right > 1000);
    f.layout.Prepare(0, 100);
    QVERIFY(f.layout.ContentWidth() >= right);
    f.layout.SetWrapWidth(250);
    f.layout.Prepare(0, 100000);
    QVERIFY(f.layout.TotalHeight() >= line * qint64(right / 250));
    QVERIFY(f.layout.CaretRect(int(text.size())).left() < 250);
    f.layout.SetWrapWidth(0);
    QCOMPARE(f.layout.CaretRect(int(text.size())).left(), right);
}

void TestViewLayout::alignments_data()
{
    QTest::addColumn<int>("align");
    QTest::addColumn<qreal>("share");   // of the free width left of the text
    QTest::newRow("left") << int(Align::Left) << 0.0;
    QTest::newRow("centre") << int(Align::Center) << 0.5;
    QTest::newRow("right") << int(Align::Right) << 1.0;
}

void TestViewLayout::alignments()
{
    QFETCH(int, align);
    QFETCH(qreal, share);
    Document d = Document::FromText(QStringLiteral("first\r\nshort text"));
    d.aligns.append({1, Align(align)});
    Fixture f(std::move(d), 400);
    const int start = 7, end = f.buffer.Length();
    const qreal width = f.layout.CaretRect(end).left() - f.layout.CaretRect(start).left();
    QVERIFY(std::abs(f.layout.CaretRect(start).left() - share * (400 - width)) < 1.5);
    QCOMPARE(f.layout.CaretRect(0).left(), 0.0);
}

// Text being composed shows at the caret, moving what follows; the caret
// stands inside it, and positions around it are those of the text.
void TestViewLayout::preeditAtItsPlace()
{
    Fixture f(Document::FromText(QStringLiteral("abc def\r\nnext")), 0);
    const qreal at = f.layout.CaretRect(4).left(), after = f.layout.CaretRect(5).left();
    QTextCharFormat underline;
    underline.setFontUnderline(true);
    f.layout.SetPreedit(4, QStringLiteral("你好"), {{0, 2, underline}}, 1);
    const qreal width = f.layout.CaretRect(5).left() - after;
    QVERIFY(width > 10);
    const qreal caret = f.layout.CaretRect(4).left();
    QVERIFY(caret > at + 2 && caret < at + width - 2);
    QCOMPARE(f.layout.PositionAt(QPointF(f.layout.CaretRect(6).left() + 0.5, 5)), 6);
    QCOMPARE(f.layout.PositionAt(QPointF(at + 0.5, 5)), 4);
    f.layout.SetPreedit(4, QString(), {});
    QCOMPARE(f.layout.CaretRect(5).left(), after);
    QCOMPARE(f.layout.CaretRect(4).left(), at);
}

// Layouts beyond the cache's size are dropped, oldest first, and built again
// alike when needed.
void TestViewLayout::moreParagraphsThanTheCacheHolds()
{
    QString text;
    for (int p = 0; p < 9000; ++p)
        text += QStringLiteral("line %1 %2\r\n").arg(p).arg(QString(p % 50, u'w'));
    Fixture f(Document::FromText(text), 120);
    const TextStore &s = f.buffer.Store();
    const QRectF first = f.layout.CaretRect(s.ParagraphEnd(0));
    f.layout.Prepare(0, INT_MAX / 2);
    qreal last = -1;
    for (int p = 0; p < s.ParagraphCount(); p += 7) {
        const QRectF r = f.layout.CaretRect(s.ParagraphEnd(p));
        QVERIFY(r.top() > last);
        last = r.top();
        QCOMPARE(f.layout.PositionAt(r.center()), s.ParagraphEnd(p));
    }
    QCOMPARE(f.layout.CaretRect(s.ParagraphEnd(0)), first);
}

void TestViewLayout::inStepWithRandomEdits_data()
{
    QTest::addColumn<int>("wrap");
    QTest::newRow("wrapped") << 160;
    QTest::newRow("unwrapped") << 0;
}

// After any edits, the layout kept in step answers as one made afresh.
void TestViewLayout::inStepWithRandomEdits()
{
    QFETCH(int, wrap);
    QRandomGenerator rng(7);
    Fixture f(WithPictures(Words(40, 3) + "\r\n" + QString(9000, u'z') + "\r\n" + kPicture + "\r\nend",
                           {{30, 50}}),
              wrap);
    // Without wrapping, a paragraph in pieces is as tall as the pieces
    // painted so far: soft breaks in the others are not known, so none here.
    QStringList pieces = {"a", "word ", "\r\n", "x\r\ny", QString(5000, u'q')};
    if (wrap > 0)
        pieces.append(QString(QChar::LineSeparator));
    for (int step = 0; step < 120; ++step) {
        const int n = f.buffer.Length();
        const int a = int(rng.bounded(n + 1)), b = std::min(n, a + int(rng.bounded(30)));
        f.buffer.SetSelection(a, rng.bounded(3) == 0 ? b : a);
        switch (rng.bounded(4)) {
        case 0:
            f.buffer.ReplaceSelection(pieces[int(rng.bounded(qsizetype(pieces.size())))]);
            break;
        case 1:
            f.buffer.DeleteBackward();
            break;
        case 2:
            f.buffer.ChangeSelectionFormat([](CharFormat &c) { c.bold = !c.bold; });
            break;
        default:
            f.layout.Prepare(f.layout.CaretRect(a).top() - 50, 100);
        }
        if (step % 20 != 19)
            continue;
        Fixture fresh(f.buffer.Snapshot(), wrap);
        // Everything laid out in both, pieces of long paragraphs included.
        const TextStore &s = f.buffer.Store();
        for (int p = 0; p < s.ParagraphCount(); ++p) {
            for (int at = s.ParagraphStart(p); at <= s.ParagraphEnd(p); at += 4000) {
                f.layout.CaretRect(at);
                fresh.layout.CaretRect(at);
            }
        }
        f.layout.Prepare(0, INT_MAX / 2);
        fresh.layout.Prepare(0, INT_MAX / 2);
        QCOMPARE(f.layout.TotalHeight(), fresh.layout.TotalHeight());
        for (int k = 0; k < 60; ++k) {
            const int pos = f.buffer.Store().SnapDown(int(rng.bounded(f.buffer.Length() + 1)));
            QCOMPARE(f.layout.CaretRect(pos), fresh.layout.CaretRect(pos));
        }
    }
}

QTEST_MAIN(TestViewLayout)
#include "tst_view_layout.moc"
