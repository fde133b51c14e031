// Times the "OD语法高亮" pass on generated debugger listings: in an editing
// area, through lumora-batch --highlight, and against the highlight package
// (highlight -S asm -O rtf) on the same files in the same run.
//
//   bench_highlight [--quick] [--pathological]
//     --quick leaves out the 1,000,000-line run; --pathological runs only the
//     keyword lists built to hurt the matcher.
#include "document/case_fold.h"
#include "highlight/highlight.h"
#include "highlight/core/highlight_core.h"
#include "bench/highlight/listing.h"
#include "bench/highlight/pathological.h"
#include "rich_text/rich_text_box.h"
#include "document/text_lines.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>

using namespace lumora;

namespace {

constexpr int kRepeats = 3;

double BestOf(int repeats, const std::function<double()> &run)
{
    double best = 1e300;
    for (int i = 0; i < repeats; ++i)
        best = std::min(best, run());
    return best;
}

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

void WriteLists(const QString &dir, const QStringList &entries)
{
    // Spread over the four files in turn, so every rule has its share.
    QStringList parts[4];
    for (int i = 0; i < entries.size(); ++i)
        parts[i % 4] << entries[i];
    const char *names[4] = {kEaxListFile, kJmpListFile, kMovListFile, kFindaListFile};
    for (int i = 0; i < 4; ++i)
        WriteFile(dir + QLatin1Char('/') + QLatin1String(names[i]), parts[i].join(QLatin1String("\r\n")).toLatin1());
}

// Seconds for one run of a program, or -1 when it failed.
double RunProgram(const QString &program, const QStringList &args)
{
    QProcess p;
    QElapsedTimer t;
    t.start();
    p.start(program, args);
    if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return -1;
    return t.nsecsElapsed() / 1e9;
}

// The pass as the menu runs it, in a shown editing area; seconds.
double InEditorPass(const QString &text, const QString &lists)
{
    RichTextBox box;
    box.resize(825, 553);
    box.show();
    box.SetPlainText(text);
    box.Text();
    QCoreApplication::processEvents();
    QElapsedTimer t;
    t.start();
    HighlightDisassembly(box, lists, nullptr);
    QCoreApplication::processEvents();
    return t.nsecsElapsed() / 1e9;
}

// The colours worked out on the text as the editor holds it, case folding
// included, without applying them; seconds.
double ComputeOnly(const QString &text, const KeywordLists &lists)
{
    QElapsedTimer t;
    t.start();
    HighlightSpans spans;
    ComputeHighlight(text, lists, &spans);
    return t.nsecsElapsed() / 1e9;
}

// The literal way of finding the keyword matches: one forward search per
// entry from position 0, one more per match.  Seconds.
double SearchPerEntry(const QString &folded, const KeywordLists &lists)
{
    QElapsedTimer t;
    t.start();
    qint64 matches = 0;
    for (const KeywordList *l : {&lists.eax, &lists.jmp, &lists.mov, &lists.finda}) {
        for (const QString &e : *l) {
            if (e.isEmpty())
                continue;
            const QString f = FoldCase(e);
            for (qsizetype at = folded.indexOf(f); at >= 0; at = folded.indexOf(f, at + f.size()))
                ++matches;
        }
    }
    volatile qint64 sink = matches;   // keeps the searches from being optimised away
    (void)sink;
    return t.nsecsElapsed() / 1e9;
}

struct Peers
{
    QString batch;        // lumora-batch, or empty
    QString highlight;    // highlight, or empty
};

void Headline(const Peers &peers, const QString &bin, const QString &dir)
{
    const QString text = GenerateListing(100000);
    const QString input = dir + QStringLiteral("/listing.txt");
    WriteFile(input, text.toLatin1());
    std::printf("100,000 lines, %.1f MB, shipped lists\n", text.size() / 1e6);
    const double editor = BestOf(kRepeats, [&] { return InEditorPass(text, bin); });
    std::printf("  in-editor pass (offscreen)        %8.3f s\n", editor);
    double batch = -1, peer = -1;
    if (!peers.batch.isEmpty()) {
        batch = BestOf(kRepeats, [&] {
            return RunProgram(peers.batch, {QStringLiteral("--highlight"), input, dir + QStringLiteral("/out.rtf")});
        });
        std::printf("  lumora-batch --highlight -> RTF   %8.3f s\n", batch);
        const double plain = BestOf(kRepeats, [&] {
            return RunProgram(peers.batch, {input, dir + QStringLiteral("/plain.rtf")});
        });
        std::printf("  (lumora-batch without the pass    %8.3f s)\n", plain);
    }
    if (!peers.highlight.isEmpty()) {
        peer = BestOf(kRepeats, [&] {
            return RunProgram(peers.highlight, {QStringLiteral("-S"), QStringLiteral("asm"), QStringLiteral("-O"),
                                                QStringLiteral("rtf"), QStringLiteral("-i"), input,
                                                QStringLiteral("-o"), dir + QStringLiteral("/peer.rtf")});
        });
        std::printf("  highlight -S asm -O rtf           %8.3f s\n", peer);
    }
    if (batch > 0 && peer > 0)
        std::printf("  ratio lumora-batch / highlight    %8.2f\n", batch / peer);
}

void GrowthWithLines(const Peers &peers, const QString &bin, const QString &dir, bool quick)
{
    std::printf("\ngrowth with lines (shipped lists)\n");
    std::printf("  %9s %9s %11s %11s %11s\n", "lines", "MB", "compute s", "in-editor s", "highlight s");
    const KeywordLists lists = LoadKeywordLists(bin);
    for (int lines : {10000, 100000, 1000000}) {
        if (quick && lines > 100000)
            break;
        const QString text = GenerateListing(lines);
        const QString input = dir + QStringLiteral("/grow.txt");
        WriteFile(input, text.toLatin1());
        const double compute = BestOf(kRepeats, [&] { return ComputeOnly(text, lists); });
        const double editor = BestOf(lines > 100000 ? 1 : kRepeats, [&] { return InEditorPass(text, bin); });
        double peer = -1;
        if (!peers.highlight.isEmpty()) {
            peer = BestOf(1, [&] {
                return RunProgram(peers.highlight, {QStringLiteral("-S"), QStringLiteral("asm"), QStringLiteral("-O"),
                                                    QStringLiteral("rtf"), QStringLiteral("-i"), input,
                                                    QStringLiteral("-o"), dir + QStringLiteral("/peer.rtf")});
            });
        }
        std::printf("  %9d %9.1f %11.3f %11.3f %11.3f\n", lines, text.size() / 1e6, compute, editor, peer);
    }
}

void GrowthWithEntries(const QString &dir)
{
    std::printf("\ngrowth with list entries (100,000 lines)\n");
    std::printf("  %7s %11s %13s %9s %11s\n", "entries", "compute s", "per-entry s", "ratio", "in-editor s");
    const QString text = GenerateListing(100000);
    const QString folded = FoldCase(text);
    const QString lists = dir + QStringLiteral("/lists");
    QDir().mkpath(lists);
    for (int entries : {50, 200, 1000}) {
        WriteLists(lists, GenerateEntries(entries));
        const KeywordLists loaded = LoadKeywordLists(lists);
        const double compute = BestOf(kRepeats, [&] { return ComputeOnly(text, loaded); });
        const double naive = BestOf(1, [&] { return SearchPerEntry(folded, loaded); });
        const double editor = BestOf(1, [&] { return InEditorPass(text, lists); });
        std::printf("  %7d %11.3f %13.3f %9.1f %11.3f\n", entries, compute, naive, naive / compute, editor);
    }
}

} // namespace

int main(int argc, char *argv[])
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const bool quick = app.arguments().contains(QStringLiteral("--quick"));
    const QString bin = app.applicationDirPath();
    QTemporaryDir dir;
    if (app.arguments().contains(QStringLiteral("--pathological"))) {
        PathologicalLists(bin, dir.path(), InEditorPass);
        return 0;
    }
    Peers peers;
    const QString batch = bin + QStringLiteral("/lumora-batch");
    if (QFile::exists(batch))
        peers.batch = batch;
    peers.highlight = QStandardPaths::findExecutable(QStringLiteral("highlight"));
    if (peers.highlight.isEmpty())
        std::printf("(highlight not found: no peer figures)\n");

    Headline(peers, bin, dir.path());
    GrowthWithLines(peers, bin, dir.path(), quick);
    GrowthWithEntries(dir.path());
    PathologicalLists(bin, dir.path(), InEditorPass);
    return 0;
}
