// One coloured listing written three ways from the same document: as RTF
// (the peer), as an HTML page and as forum code.  The listing is coloured by
// "OD语法高亮" with the keyword lists beside this program.
//
//   bench_export [lines]              (default 100000)
//   bench_export --once FORMAT lines  one write in a process of its own
//                                     (rtf, html or bbcode); prints its CPU ms
//
// Two figures per format, both CPU times:
// - steady: the writer alone, best of several rounds in one process whose
//   allocator keeps its memory, so that every writer finds its buffer's
//   pages already mapped: the writers' own work;
// - once: the single write lumora-batch makes, in a fresh process (median
//   of several), page faults for the output's fresh memory included; then,
//   apart, the atomic file write of those bytes.  Where a page fault is
//   dear (virtual machines) this figure follows the output's size.
#include "document/bbcode_writer.h"
#include "document/document.h"
#include "document/document_files.h"
#include "highlight/core/highlight_document.h"
#include "document/html_writer.h"
#include "bench/highlight/listing.h"
#include "document/rtf_writer.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <malloc.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

using namespace lumora;

namespace {

constexpr int kRounds = 7;
constexpr int kChildren = 5;

double CpuMs()
{
    return double(std::clock()) * 1000.0 / CLOCKS_PER_SEC;
}

struct Format
{
    const char *name;
    const char *file;
    QByteArray (*write)(const Document &);
};

const Format kFormats[] = {
    {"rtf", "out.rtf", [](const Document &d) { return WriteRtf(d); }},
    {"html", "out.html", [](const Document &d) { return WriteHtmlPage(d, QStringLiteral("listing")); }},
    {"bbcode", "out.bbcode", [](const Document &d) { return WriteBbcode(d); }},
};

Document ColouredListing(int lines)
{
    Document doc = Document::FromText(GenerateListing(lines));
    if (!HighlightDocument(doc, QCoreApplication::applicationDirPath()))
        qFatal("empty listing");
    return doc;
}

// The child: one write to memory, then the atomic file write lumora-batch
// makes of it.  Prints the write's CPU ms, its page faults and the file
// write's CPU ms.
int Once(const char *name, int lines)
{
    const Document doc = ColouredListing(lines);
    for (const Format &f : kFormats) {
        if (qstrcmp(f.name, name) != 0)
            continue;
        QTemporaryDir dir;
        rusage before, after;
        getrusage(RUSAGE_SELF, &before);
        double start = CpuMs();
        const QByteArray bytes = f.write(doc);
        const double writeMs = CpuMs() - start;
        getrusage(RUSAGE_SELF, &after);
        start = CpuMs();
        QString error;
        if (!WriteFileAtomically(dir.filePath(QLatin1String(f.file)), bytes, &error))
            qFatal("%s", qPrintable(error));
        std::printf("%.2f %ld %.2f\n", writeMs, after.ru_minflt - before.ru_minflt, CpuMs() - start);
        return 0;
    }
    return 2;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 4 && qstrcmp(argv[1], "--once") == 0)
        return Once(argv[2], std::atoi(argv[3]));
    const int lines = argc > 1 ? std::atoi(argv[1]) : 100000;

    // Keep freed memory in the heap: every round then writes into pages
    // that are already mapped, whichever writer runs.
    mallopt(M_MMAP_THRESHOLD, 1 << 30);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    const Document doc = ColouredListing(lines);
    std::printf("%d lines, %lld characters, %zu runs, %d formats\n", lines, qlonglong(doc.text.size()),
                doc.runs.Runs().size(), doc.formats.Count());

    double rtfSteady = 0, rtfOnce = 0;
    for (const Format &f : kFormats) {
        double steady = 1e300;
        qsizetype size = 0;
        for (int i = 0; i < kRounds; ++i) {
            const double start = CpuMs();
            size = f.write(doc).size();
            steady = std::min(steady, CpuMs() - start);
        }
        std::vector<double> once, faults, file;
        for (int i = 0; i < kChildren; ++i) {
            QProcess child;
            child.start(QCoreApplication::applicationFilePath(),
                        {QStringLiteral("--once"), QLatin1String(f.name), QString::number(lines)});
            if (!child.waitForFinished(300000) || child.exitCode() != 0)
                qFatal("child for %s failed", f.name);
            const QList<QByteArray> figures = child.readAllStandardOutput().trimmed().split(' ');
            once.push_back(figures.value(0).toDouble());
            faults.push_back(figures.value(1).toDouble());
            file.push_back(figures.value(2).toDouble());
        }
        if (rtfSteady == 0) {
            rtfSteady = steady;
            rtfOnce = Median(once);
        }
        std::printf("%-6s %5.1f MB  steady %5.1f ms (%.2f of RTF)  once %5.1f ms (%.2f of RTF, %.0f page faults)"
                    "  file %5.1f ms\n",
                    f.name, size / 1e6, steady, steady / rtfSteady, Median(once), Median(once) / rtfOnce,
                    Median(faults), Median(file));
    }
    return 0;
}
