// The chunked text store against the plainest model of it: one QString and
// one RunList, edited the slow obvious way.
#include "document/document.h"
#include "document/text_store.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace lumora;

namespace {

// The text and runs the store must hold, kept by brute force.
struct Model
{
    QString text;
    RunList runs;

    bool MidBreak(int p) const { return p > 0 && p < text.size() && text[p] == u'\n'; }
    int Down(int p) const { p = std::clamp(p, 0, int(text.size())); return MidBreak(p) ? p - 1 : p; }
    int Up(int p) const { p = std::clamp(p, 0, int(text.size())); return MidBreak(p) ? p + 1 : p; }

    void Replace(int from, int to, const QString &s, const std::vector<int> &formats)
    {
        const bool insertOnly = to <= from;
        from = Down(from);
        to = insertOnly ? from : std::max(from, Up(to));
        QString out;
        RunList outRuns;
        for (int i = 0; i < s.size(); ++i) {
            if (s[i] == u'\r' || s[i] == u'\n') {
                out += QStringLiteral("\r\n");
                outRuns.Append(2, formats[i]);
                if (s[i] == u'\r' && i + 1 < s.size() && s[i + 1] == u'\n')
                    ++i;
            } else {
                out += s[i];
                outRuns.Append(1, formats[i]);
            }
        }
        text.replace(from, to - from, out);
        runs.Replace(from, to - from, outRuns);
    }
    void SetFormat(int from, int to, int format)
    {
        const int a = Down(from), b = std::min(Up(to), runs.Length());
        if (a >= b)
            return;
        RunList piece;
        piece.Append(b - a, format);
        runs.Replace(a, b - a, piece);
    }
    std::vector<int> ParagraphStarts() const
    {
        std::vector<int> starts{0};
        for (int i = 0; i < text.size(); ++i)
            if (text[i] == u'\n')
                starts.push_back(i + 1);
        return starts;
    }
};

QString RandomText(QRandomGenerator &rng, int maxLen)
{
    static const QString pieces[] = {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("\r"),
                                     QStringLiteral("\n"), QStringLiteral("\r\n"), QString(QChar(0x2028)),
                                     QString(QChar(0xFFFC)), QStringLiteral("好"), QStringLiteral("xyz")};
    QString s;
    const int n = rng.bounded(maxLen + 1);
    while (s.size() < n)
        s += pieces[rng.bounded(int(std::size(pieces)))];
    return s;
}

std::vector<int> Starts(const TextStore &store)
{
    std::vector<int> starts;
    for (int k = 0; k < store.ParagraphCount(); ++k)
        starts.push_back(store.ParagraphStart(k));
    return starts;
}

} // namespace

class TstTextStore : public QObject
{
    Q_OBJECT
private slots:
    void randomEditsMatchModel_data();
    void randomEditsMatchModel();
    void breakEdges_data();
    void breakEdges();
    void loadMendsStrayBreaks_data();
    void loadMendsStrayBreaks();
    void emptyStore();
    void documentRoundTrip_data();
    void documentRoundTrip();
    void longLine();
    void fillerMatchesLoad_data();
    void fillerMatchesLoad();
};

void TstTextStore::randomEditsMatchModel_data()
{
    QTest::addColumn<int>("chunk");
    QTest::addColumn<int>("startLength");
    QTest::addColumn<quint32>("seed");
    // Tiny chunks put breaks on chunk borders all the time.
    QTest::newRow("4-char chunks") << 4 << 0 << 1u;
    QTest::newRow("4-char chunks, other seed") << 4 << 200 << 7u;
    QTest::newRow("16-char chunks, bigger text") << 16 << 3000 << 3u;
    QTest::newRow("default chunks") << TextStore::kChunkChars << 9000 << 5u;
}

void TstTextStore::randomEditsMatchModel()
{
    QFETCH(int, chunk);
    QFETCH(int, startLength);
    QFETCH(quint32, seed);
    QRandomGenerator rng(seed);
    Model model;
    model.Replace(0, 0, RandomText(rng, startLength), std::vector<int>(size_t(startLength) * 3, 0));
    TextStore store(chunk);
    store.Load(model.text, model.runs);
    for (int step = 0; step < 3000; ++step) {
        const int len = int(model.text.size());
        const int a = rng.bounded(len + 1), b = std::min(len, a + rng.bounded(12));
        const int op = rng.bounded(10);
        if (op < 4) {
            const QString s = RandomText(rng, 12);
            const int f = rng.bounded(4);
            const int at = model.Down(a);
            model.Replace(a, a, s, std::vector<int>(s.size(), f));
            const TextStore::Span span = store.Insert(a, s, f);
            QCOMPARE(span.from, at);
            QCOMPARE(span.to, at + int(model.text.size()) - len);
        } else if (op < 6) {
            // Pasted text in two formats, the cut wherever it falls.
            const QString s = RandomText(rng, 12);
            const int cut = rng.bounded(int(s.size()) + 1);
            std::vector<int> formats(s.size(), 1);
            std::fill(formats.begin() + cut, formats.end(), 2);
            RunList runs(cut, 1);
            runs.Append(int(s.size()) - cut, 2);
            model.Replace(a, b, s, formats);
            store.Replace(a, b, s, runs);
        } else if (op < 8) {
            model.Replace(a, b, QString(), {});
            store.Remove(a, b);
        } else if (op < 9) {
            const int f = rng.bounded(4);
            model.SetFormat(a, b, f);
            store.SetFormat(a, b, f);
        } else {
            // A colouring pass: new runs for the whole text, a few characters each.
            RunList runs;
            while (runs.Length() < len)
                runs.Append(std::min(len - runs.Length(), 1 + rng.bounded(9)), rng.bounded(4));
            model.runs = runs;
            store.SetRuns(runs);
        }
        QCOMPARE(store.Length(), int(model.text.size()));
        QCOMPARE(store.Text(), model.text);
        QCOMPARE(store.Runs(), model.runs);
        const std::vector<int> starts = model.ParagraphStarts();
        QCOMPARE(Starts(store), starts);
        // Lookups at a random place, and a slice of text and runs.
        const int p = rng.bounded(int(model.text.size()) + 1);
        const int para = int(std::upper_bound(starts.begin(), starts.end(), p) - starts.begin()) - 1;
        QCOMPARE(store.ParagraphAt(p), para);
        const TextStore::Place place = store.PlaceOf(p);
        QCOMPARE(place.column, p - starts[size_t(para)]);
        if (!model.MidBreak(p))
            QCOMPARE(store.PositionOf(place), p);
        QCOMPARE(store.Text(p, 17), model.text.mid(p, 17));
        QCOMPARE(store.Runs(p, p + 17), model.runs.Slice(p, p + 17));
        if (p < model.text.size())
            QCOMPARE(store.FormatAt(p), model.runs.FormatAt(p));
    }
}

void TstTextStore::breakEdges_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QString>("inserted");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("spanFrom");
    QTest::addColumn<int>("spanTo");
    // The text is "ab\r\ncd\r\n" in chunks of 4: the first break straddles
    // no border, the second starts one.
    QTest::newRow("insert between CR and LF goes before the CR") << 3 << 3 << "X" << "abX\r\ncd\r\n" << 2 << 3;
    QTest::newRow("range starting between CR and LF takes the break") << 3 << 5 << "" << "abd\r\n" << 2 << 2;
    QTest::newRow("range ending between CR and LF takes the break") << 1 << 3 << "" << "acd\r\n" << 1 << 1;
    QTest::newRow("lone CR and LF become CR LF") << 8 << 8 << "x\ry\nz\r\n" << "ab\r\ncd\r\nx\r\ny\r\nz\r\n" << 8 << 17;
    QTest::newRow("CR typed before an LF is a break of its own") << 6 << 6 << "\r" << "ab\r\ncd\r\n\r\n" << 6 << 8;
    QTest::newRow("removing the last break's CR only") << 6 << 7 << "" << "ab\r\ncd" << 6 << 6;
}

void TstTextStore::breakEdges()
{
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QString, inserted);
    QFETCH(QString, expected);
    TextStore store(4);
    store.Load(QStringLiteral("ab\r\ncd\r\n"), RunList(8, 0));
    const TextStore::Span span = store.Replace(from, to, inserted, RunList(int(inserted.size()), 1));
    QCOMPARE(store.Text(), expected);
    QTEST(span.from, "spanFrom");
    QTEST(span.to, "spanTo");
    QCOMPARE(store.ParagraphCount(), int(expected.count(u'\n')) + 1);
}

void TstTextStore::loadMendsStrayBreaks_data()
{
    QTest::addColumn<QString>("loaded");
    QTest::addColumn<QString>("expected");
    QTest::newRow("lone LF") << "a\nb" << "a\r\nb";
    QTest::newRow("LF first") << "\nx\r\n" << "\r\nx\r\n";
    QTest::newRow("lone CR last") << "a\r\n\r" << "a\r\n\r\n";
    QTest::newRow("LF CR") << "a\n\rb" << "a\r\n\r\nb";
}

// Readers give CR LF only; anything else is made so on the way in, the
// runs following, so the line index never sees a half break.
void TstTextStore::loadMendsStrayBreaks()
{
    QFETCH(QString, loaded);
    QFETCH(QString, expected);
    TextStore store(4);
    store.Load(loaded, RunList(int(loaded.size()), 3));
    QCOMPARE(store.Text(), expected);
    QCOMPARE(store.Runs(), RunList(int(expected.size()), 3));
    QCOMPARE(store.ParagraphCount(), int(expected.count(u'\n')) + 1);
}

void TstTextStore::emptyStore()
{
    TextStore store;
    store.Remove(0, 5);
    store.SetFormat(0, 3, 2);
    QCOMPARE(store.Length(), 0);
    QCOMPARE(store.ParagraphCount(), 1);
    QCOMPARE(store.ParagraphStart(3), 0);
    QCOMPARE(store.ParagraphEnd(0), 0);
    QCOMPARE(store.ParagraphAt(9), 0);
    QCOMPARE(store.At(0), QChar());
    QCOMPARE(store.Runs(), RunList());
    QVERIFY(store.ToDocument().text.isEmpty());
    // Emptied after text was in: the same again.
    store.Insert(0, QStringLiteral("a\r\nb"), 1);
    QCOMPARE(store.ParagraphEnd(0), 1);
    store.Remove(0, 4);
    QCOMPARE(store.Length(), 0);
    QCOMPARE(store.ParagraphCount(), 1);
}

void TstTextStore::documentRoundTrip_data()
{
    QTest::addColumn<int>("chunk");
    QTest::newRow("4-char chunks") << 4;
    QTest::newRow("default chunks") << TextStore::kChunkChars;
}

void TstTextStore::documentRoundTrip()
{
    QFETCH(int, chunk);
    Document doc;
    CharFormat red;
    red.color = 0xFF;
    CharFormat picture;
    picture.picture = 0;
    const int r = doc.formats.Id(red), p = doc.formats.Id(picture);
    doc.text = QStringLiteral("红色\r\n") + QChar(0xFFFC) + QChar(0x2028) + QStringLiteral("x\r\n\r\nend");
    doc.runs = RunList(2, r);
    doc.runs.Append(2, 0);
    doc.runs.Append(1, p);
    doc.runs.Append(int(doc.text.size()) - 5, r);
    TextStore store(chunk);
    store.Load(doc);
    const Document back = store.ToDocument();
    QCOMPARE(back.text, doc.text);
    QCOMPARE(back.runs, doc.runs);
    QCOMPARE(back.formats.Count(), doc.formats.Count());
    QCOMPARE(back.formats.At(p).picture, 0);
    QCOMPARE(store.ParagraphStart(2), 9);
}

// A 16 MiB line is chunks like any text: edits in it copy a chunk, not the line.
void TstTextStore::longLine()
{
    const int n = 16 << 20;
    TextStore store;
    store.Load(QString(n, u'a'), RunList(n, 0));
    store.Insert(n / 2, QStringLiteral("\r\nb"), 1);
    QCOMPARE(store.Length(), n + 3);
    QCOMPARE(store.ParagraphCount(), 2);
    QCOMPARE(store.ParagraphStart(1), n / 2 + 2);
    QCOMPARE(store.PlaceOf(n).column, n / 2 - 2);
    QCOMPARE(store.Text(n / 2 - 1, 5), QStringLiteral("a\r\nba"));
    store.Remove(n / 2 + 1, n / 2 + 2);
    QCOMPARE(store.ParagraphCount(), 1);
    QCOMPARE(store.Runs(0, n + 1).Runs().size(), size_t(3));
}

void TstTextStore::fillerMatchesLoad_data()
{
    QTest::addColumn<int>("piece");
    // Pieces of one character cut every CR LF from its LF and end chunks on
    // a CR; longer ones meet chunk borders elsewhere.
    QTest::newRow("1-char pieces") << 1;
    QTest::newRow("3-char pieces") << 3;
    QTest::newRow("whole") << 1000;
}

void TstTextStore::fillerMatchesLoad()
{
    QFETCH(int, piece);
    const QString text = QStringLiteral("abc\r\n\r\nxyz\r\n红\r\n\r\n\r\nlast line\r\n");
    TextStore::Filler filler(4);
    for (int at = 0; at < text.size(); at += piece)
        filler.Append(QStringView(text).mid(at, piece));
    QCOMPARE(filler.Length(), qint64(text.size()));
    TextStore store = filler.Finish();
    TextStore loaded(4);
    loaded.Load(text, RunList(int(text.size()), 0));
    QCOMPARE(store.Text(), text);
    QCOMPARE(store.Runs(), loaded.Runs());
    QCOMPARE(store.ParagraphCount(), loaded.ParagraphCount());
    for (int p = 0; p < loaded.ParagraphCount(); ++p)
        QCOMPARE(store.ParagraphStart(p), loaded.ParagraphStart(p));
    // Every break is whole in one chunk: an edit at its middle takes it whole.
    for (int i = 1; i < text.size(); ++i) {
        if (text[i] == u'\n')
            QCOMPARE(store.SnapDown(i), i - 1);
    }
    QCOMPARE(store.Remove(4, 5).from, 3);
    QCOMPARE(store.Text(0, 5), QStringLiteral("abc\r\n"));
}

QTEST_GUILESS_MAIN(TstTextStore)
#include "tst_text_store.moc"
