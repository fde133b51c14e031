// The chunked text store on big documents: loading, keystrokes, position and
// paragraph lookups, and memory, against the flat way (one string, an array
// of line starts and a run list, patched in place) measured in the same run.
//
//   build/bench/text_store/bench_text_store [lines]
//
// Each case runs in a child process of its own (bench_text_store --listing N,
// --empty N, --long), so that each peak memory is its own.
#include "bench/bench_support.h"
#include "bench/highlight/listing.h"
#include "document/document.h"
#include "document/text_store.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <algorithm>
#include <cstdio>
#include <malloc.h>
#include <random>
#include <time.h>

using namespace lumora;

namespace {

// Starts a new peak (VmHWM) from the memory in use now.
void ResetPeak()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

double Seconds(const QElapsedTimer &t) { return double(t.nsecsElapsed()) / 1e9; }

// A listing coloured as the pass colours it: address, bytes, code, comment.
RunList ColourListing(const QString &text)
{
    RunList runs;
    int at = 0;
    while (at < text.size()) {
        int end = int(text.indexOf(u'\r', at));
        if (end < 0)
            end = int(text.size());
        const int comment = int(text.indexOf(u';', at));
        const int code = std::min(at + 30, end);
        runs.Append(std::min(8, end - at), 1);
        runs.Append(code - std::min(at + 8, end), 2);
        const int codeEnd = comment >= 0 && comment < end ? comment : end;
        runs.Append(codeEnd - code, 3);
        runs.Append(end - codeEnd, 4);
        runs.Append(std::min(2, int(text.size()) - end), 0);
        at = end + 2;
    }
    return runs;
}

struct Keys
{
    double typeUs = 0, p999Us = 0, maxUs = 0, enterUs = 0, backspaceUs = 0;
};

Keys Keystrokes(TextStore &store, std::mt19937 &rng, int count)
{
    Keys k;
    QElapsedTimer t;
    const QString x = QStringLiteral("x"), enter = QStringLiteral("\r\n");
    // Each keystroke's own CPU time: on a shared machine the wall time of
    // one keystroke also holds whatever ran while this process waited.
    std::vector<double> each;
    each.reserve(size_t(count));
    t.start();
    for (int i = 0; i < count; ++i) {
        const double before = ThreadCpuUs();
        store.Insert(int(rng() % unsigned(store.Length() + 1)), x, 1);
        each.push_back(ThreadCpuUs() - before);
    }
    k.typeUs = Seconds(t) * 1e6 / count;
    std::sort(each.begin(), each.end());
    k.p999Us = each[each.size() * 999 / 1000];
    k.maxUs = each.back();
    t.restart();
    for (int i = 0; i < count / 10; ++i)
        store.Insert(int(rng() % unsigned(store.Length() + 1)), enter, 0);
    k.enterUs = Seconds(t) * 1e6 / (count / 10);
    t.restart();
    for (int i = 0; i < count / 10; ++i) {
        const int p = 1 + int(rng() % unsigned(store.Length()));
        store.Remove(p - 1, p);
    }
    k.backspaceUs = Seconds(t) * 1e6 / (count / 10);
    return k;
}

// The flat way: the text in one string, every line start in an array and
// the runs in one list, each patched in place on a keystroke.
double FlatKeystrokeUs(const TextStore &store, std::mt19937 &rng, int count)
{
    QString text = store.Text();
    RunList runs = store.Runs();
    std::vector<int> starts{0};
    for (int i = 0; i < text.size(); ++i)
        if (text[i] == u'\n')
            starts.push_back(i + 1);
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < count; ++i) {
        const int p = int(rng() % unsigned(text.size() + 1));
        text.insert(p, u'x');
        for (auto it = std::upper_bound(starts.begin(), starts.end(), p); it != starts.end(); ++it)
            ++*it;
        runs.Replace(p, 0, RunList(1, 1));
    }
    return Seconds(t) * 1e6 / count;
}

void Lookups(const TextStore &store, std::mt19937 &rng)
{
    const int n = 1000000;
    QElapsedTimer t;
    t.start();
    qint64 sum = 0;
    for (int i = 0; i < n; ++i)
        sum += store.ParagraphAt(int(rng() % unsigned(store.Length() + 1)));
    const double atUs = Seconds(t) * 1e6 / n;
    t.restart();
    for (int i = 0; i < n; ++i)
        sum += store.ParagraphStart(int(rng() % unsigned(store.ParagraphCount())));
    const double startUs = Seconds(t) * 1e6 / n;
    t.restart();
    for (int i = 0; i < n; ++i) {
        const TextStore::Place place = store.PlaceOf(int(rng() % unsigned(store.Length() + 1)));
        sum += store.PositionOf(place);
    }
    const double roundUs = Seconds(t) * 1e6 / n;
    std::printf("  position -> paragraph %.2f us; paragraph -> start %.2f us; position -> (paragraph, column) -> "
                "position %.2f us  (checksum %lld)\n",
                atUs, startUs, roundUs, static_cast<long long>(sum % 1000));
}

// Loads doc into a store and reports time and memory; doc is freed.
void LoadAndMeasure(TextStore &store, Document &doc, double baseMb)
{
    const qint64 chars = doc.text.size();
    QElapsedTimer t;
    t.start();
    QString copy(doc.text.constData(), doc.text.size());
    const double copySecs = Seconds(t);
    copy = QString();
    t.restart();
    store.Load(doc);
    const double loadSecs = Seconds(t);
    std::printf("  load %.3f s; one plain copy of the text %.3f s (ratio %.1f)\n", loadSecs, copySecs,
                loadSecs / copySecs);
    std::printf("  peak while loading, the document included: %.0f MB\n", PeakRssMb());
    doc = Document();
    malloc_trim(0);
    ResetPeak();
    const double textMb = double(chars) * 2 / (1 << 20);
    const double storeMb = RssMb() - baseMb;
    std::printf("  the store alone: %.0f MB for %.0f MB of UTF-16 text (ratio %.2f)\n", storeMb, textMb,
                storeMb / textMb);
}

int Listing(int lines)
{
    const double baseMb = RssMb();
    std::mt19937 rng(1);
    Document doc;
    doc.text = GenerateListing(lines);
    doc.runs = ColourListing(doc.text);
    std::printf("listing of %d lines: %.1f M characters, %zu runs\n", lines, double(doc.text.size()) / 1e6,
                doc.runs.Runs().size());
    TextStore store;
    LoadAndMeasure(store, doc, baseMb);
    const Keys k = Keystrokes(store, rng, 100000);
    std::printf("  after typing: peak %.0f MB, in use %.0f MB\n", PeakRssMb(), RssMb());
    Lookups(store, rng);
    std::printf("  peak while typing and looking up: %.0f MB\n", PeakRssMb());
    QElapsedTimer t;
    t.start();
    const RunList runs = store.Runs();
    const double readRuns = Seconds(t);
    t.restart();
    store.SetRuns(runs);
    std::printf("  all runs read out as a run list (as a writer takes them) %.3f s; all set anew (as a pass sets "
                "them) %.3f s\n",
                readRuns, Seconds(t));
    const double flat = FlatKeystrokeUs(store, rng, 50);
    std::printf("  keystroke %.2f us (CPU time: 99.9 %% within %.0f us, slowest %.0f us), Enter %.2f us, Backspace %.2f us; the flat way %.0f us "
                "(ratio %.5f)\n",
                k.typeUs, k.p999Us, k.maxUs, k.enterUs, k.backspaceUs, flat, k.typeUs / flat);
    return 0;
}

int EmptyLines(int lines)
{
    const double baseMb = RssMb();
    std::mt19937 rng(2);
    Document doc = Document::FromText(QStringLiteral("\r\n").repeated(lines));
    std::printf("%d empty lines\n", lines);
    TextStore store;
    LoadAndMeasure(store, doc, baseMb);
    const Keys k = Keystrokes(store, rng, 100000);
    std::printf("  keystroke %.2f us (CPU time: 99.9 %% within %.0f us, slowest %.0f us), Enter %.2f us, Backspace %.2f us\n", k.typeUs, k.p999Us, k.maxUs,
                k.enterUs, k.backspaceUs);
    Lookups(store, rng);
    std::printf("  peak while typing and looking up: %.0f MB\n", PeakRssMb());
    return 0;
}

int LongLine()
{
    const double baseMb = RssMb();
    std::mt19937 rng(3);
    const int n = 16 << 20;
    Document doc = Document::FromText(QString(n, u'a'));
    std::printf("one line of 16 MiB\n");
    TextStore store;
    LoadAndMeasure(store, doc, baseMb);
    const Keys k = Keystrokes(store, rng, 10000);
    std::printf("  keystroke %.2f us (CPU time: 99.9 %% within %.0f us, slowest %.0f us), Enter %.2f us, Backspace %.2f us; the flat way %.0f us\n",
                k.typeUs, k.p999Us, k.maxUs, k.enterUs, k.backspaceUs, FlatKeystrokeUs(store, rng, 50));
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.value(0) == QLatin1String("--listing"))
        return Listing(args.value(1).toInt());
    if (args.value(0) == QLatin1String("--empty"))
        return EmptyLines(args.value(1).toInt());
    if (args.value(0) == QLatin1String("--long"))
        return LongLine();
    const QString lines = args.value(0, QStringLiteral("1000000"));
    const QList<QStringList> cases{{QStringLiteral("--listing"), lines},
                                   {QStringLiteral("--empty"), QStringLiteral("5000000")},
                                   {QStringLiteral("--long")}};
    for (const QStringList &c : cases) {
        std::fflush(stdout);
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QCoreApplication::applicationFilePath(), c);
        child.waitForFinished(-1);
    }
    return 0;
}
