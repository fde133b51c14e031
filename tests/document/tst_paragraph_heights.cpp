// Paragraph heights against the plainest model of them: a vector of heights
// summed afresh for every question.
#include "document/paragraph_heights.h"

#include <QFile>
#include <QRandomGenerator>
#include <QtTest>

using namespace lumora;

namespace {

struct Model
{
    std::vector<int> heights;
    std::vector<bool> measured;
};

// Every answer the heights give, against the model: Total, Top of each
// paragraph (or of a sample in a big one) and the paragraph of random rows.
void Compare(const ParagraphHeights &h, const Model &m, QRandomGenerator &rng)
{
    const int n = int(m.heights.size());
    QCOMPARE(h.Count(), n);
    std::vector<qint64> tops(size_t(n) + 1, 0);
    for (int p = 0; p < n; ++p)
        tops[size_t(p) + 1] = tops[size_t(p)] + m.heights[size_t(p)];
    QCOMPARE(h.Total(), tops.back());
    for (int k = 0; k < 40 && n > 0; ++k) {
        const int p = k == 0 ? n - 1 : k == 1 ? 0 : int(rng.bounded(n));
        QCOMPARE(h.Top(p), tops[size_t(p)]);
        QCOMPARE(h.Height(p), m.heights[size_t(p)]);
        QCOMPARE(h.IsMeasured(p), bool(m.measured[size_t(p)]));
    }
    QCOMPARE(h.Top(n), tops.back());
    for (int k = 0; k < 40 && tops.back() > 0; ++k) {
        const qint64 y = k == 0 ? tops.back() - 1 : qint64(rng.bounded(quint64(tops.back())));
        const int p = int(std::upper_bound(tops.begin(), tops.end(), y) - tops.begin()) - 1;
        const ParagraphHeights::Hit hit = h.ParagraphAt(y);
        QCOMPARE(hit.paragraph, p);
        QCOMPARE(hit.offset, y - tops[size_t(p)]);
    }
}

qint64 RssKb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

} // namespace

class TestParagraphHeights : public QObject
{
    Q_OBJECT

private slots:
    void randomEdits_data();
    void randomEdits();
    void emptyAndOutOfRange();
    void tallPictureCoversEveryRow();
    void tenMillionParagraphs();
};

void TestParagraphHeights::randomEdits_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<int>("maxCount");  // most paragraphs one insert or remove takes
    QTest::addColumn<int>("maxHeight"); // heights from 0, so some rows have none
    QTest::newRow("keystrokes, many blocks") << 1u << 3 << 60;
    QTest::newRow("pastes and cuts across blocks") << 2u << 3000 << 40;
    QTest::newRow("mostly zero heights") << 3u << 50 << 1;
    QTest::newRow("pictures") << 4u << 200 << 4000;
}

void TestParagraphHeights::randomEdits()
{
    QFETCH(quint32, seed);
    QFETCH(int, maxCount);
    QFETCH(int, maxHeight);
    QRandomGenerator rng(seed);
    ParagraphHeights h(17);
    Model m;
    for (int step = 0; step < 3000; ++step) {
        const int n = int(m.heights.size());
        const int op = int(rng.bounded(100));
        const int p = int(rng.bounded(n + 1));
        const int count = 1 + int(rng.bounded(maxCount));
        const int height = int(rng.bounded(maxHeight + 1));
        if (op < 30 || n < 2000) {
            h.SetDefaultEstimate(height);
            h.Insert(p, count);
            m.heights.insert(m.heights.begin() + p, size_t(count), height);
            m.measured.insert(m.measured.begin() + p, size_t(count), false);
        } else if (op < 55) {
            h.Remove(p, count);
            const int end = std::min(n, p + count);
            m.heights.erase(m.heights.begin() + p, m.heights.begin() + end);
            m.measured.erase(m.measured.begin() + p, m.measured.begin() + end);
        } else if (op < 98 && p < n) {
            const bool measure = op < 85;
            const int old = m.heights[size_t(p)];
            const qint64 moved = measure ? h.SetMeasured(p, height) : h.SetEstimate(p, height);
            if (measure || !m.measured[size_t(p)]) {
                m.heights[size_t(p)] = height;
                m.measured[size_t(p)] = m.measured[size_t(p)] || measure;
            }
            QCOMPARE(moved, qint64(m.heights[size_t(p)] - old));
        } else if (op == 98) {
            h.InvalidateAll([&](int i) { return (i * 7 + height) % (maxHeight + 1); });
            for (int i = 0; i < n; ++i)
                m.heights[size_t(i)] = (i * 7 + height) % (maxHeight + 1);
            m.measured.assign(size_t(n), false);
        } else if (op == 99) {
            h.InvalidateAll(height);
            m.heights.assign(size_t(n), height);
            m.measured.assign(size_t(n), false);
        }
        Compare(h, m, rng);
        if (QTest::currentTestFailed())
            QFAIL(qPrintable(QStringLiteral("step %1, op %2 at %3, count %4").arg(step).arg(op).arg(p).arg(count)));
    }
}

void TestParagraphHeights::emptyAndOutOfRange()
{
    ParagraphHeights h(20);
    QCOMPARE(h.Total(), 0);
    QCOMPARE(h.Top(0), 0);
    QCOMPARE(h.ParagraphAt(5).paragraph, -1);
    h.Remove(0, 10);
    QCOMPARE(h.SetMeasured(0, 30), 0);
    h.Insert(0, 3);
    h.InvalidateAll(0);
    QCOMPARE(h.ParagraphAt(0).paragraph, -1); // rows exist only where a height does
    h.Remove(1, 1000);
    QCOMPARE(h.Count(), 1);
    h.Remove(0, 1);
    QCOMPARE(h.Count(), 0);
    h.Insert(0, 1);
    QCOMPARE(h.Total(), 20);
}

void TestParagraphHeights::tallPictureCoversEveryRow()
{
    ParagraphHeights h(20);
    h.Insert(0, 3);
    QCOMPARE(h.SetMeasured(1, 3500), 3480);
    for (qint64 y = 20; y < 3520; ++y) {
        const ParagraphHeights::Hit hit = h.ParagraphAt(y);
        QCOMPARE(hit.paragraph, 1);
        QCOMPARE(hit.offset, y - 20);
    }
    QCOMPARE(h.ParagraphAt(-100).paragraph, 0);
    QCOMPARE(h.ParagraphAt(-100).offset, 0);
    QCOMPARE(h.ParagraphAt(1 << 30).paragraph, 2);
    QCOMPARE(h.ParagraphAt(1 << 30).offset, 19);
}

void TestParagraphHeights::tenMillionParagraphs()
{
    const int n = 10'000'000;
    const qint64 before = RssKb();
    ParagraphHeights h(3000); // 3e10 px: beyond 32 bits
    h.Insert(0, n);
    if (before > 0)
        QVERIFY2(RssKb() - before < qint64(n) * 16 / 1024, "more than 16 bytes a paragraph");
    QCOMPARE(h.Total(), qint64(n) * 3000);
    QCOMPARE(h.Top(n - 1), qint64(n - 1) * 3000);
    QCOMPARE(h.ParagraphAt(h.Total() - 1).paragraph, n - 1);
    QCOMPARE(h.SetMeasured(n / 2, 1), -2999);
    QCOMPARE(h.ParagraphAt(qint64(n / 2) * 3000).paragraph, n / 2);
    QCOMPARE(h.ParagraphAt(qint64(n / 2) * 3000 + 1).paragraph, n / 2 + 1);
    h.Insert(n / 3, 1);
    h.Remove(1, n - 2);
    QCOMPARE(h.Count(), 3);
    QCOMPARE(h.Total(), 3 * 3000);
}

QTEST_GUILESS_MAIN(TestParagraphHeights)
#include "tst_paragraph_heights.moc"
