// The RTF codec on the document model: writing a coloured 100,000-line
// listing, reading it back, and reading what `highlight -S asm -O rtf`
// makes of a listing, against `unrtf --text` on the same file in the same
// run.
//
//   bench_rtf [lines] [unrtf-lines]   (defaults 100000 and 10000)
//   bench_rtf --convert IN [OUT]      read IN into a document, write OUT;
//                                     for /usr/bin/time -v
//   bench_rtf --listing LINES OUT     write the generated listing (GBK
//                                     text) for other programs
//   bench_rtf --pictures N OUT        write RTF holding N copies of one
//                                     1400 x 1400 PNG
//
// unrtf needs minutes on the full listing, and its time grows faster than
// the file, so it runs on the first unrtf-lines lines; our read of that
// same smaller file gives the ratio on equal input, and unrtf's time
// scaled up linearly (an underestimate) gives a bound for the full file.
//
// Times are CPU times (ours best of several runs, the peer's from its
// resource usage), so that other work on a shared machine does not skew
// the ratios.

#include "document/document.h"
#include "bench/highlight/listing.h"
#include "document/rtf_reader.h"
#include "document/rtf_writer.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImage>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>
#include <ctime>
#include <functional>

using namespace lumora;

namespace {

double BestMs(int rounds, const std::function<void()> &work)
{
    double best = 1e300;
    for (int i = 0; i < rounds; ++i) {
        const std::clock_t start = std::clock();
        work();
        best = std::min(best, double(std::clock() - start) * 1000.0 / CLOCKS_PER_SEC);
    }
    return best;
}

// The listing as the highlighting pass leaves it: address, mnemonic,
// bracketed operand and comment each in a colour of its own.
Document ColouredListing(const QString &crlfText)
{
    Document d = Document::FromText(crlfText);
    std::vector<ColorPiece> pieces;
    const QString &t = d.text;
    int lineStart = 0;
    while (lineStart < t.size()) {
        int lineEnd = int(t.indexOf(QLatin1Char('\r'), lineStart));
        if (lineEnd < 0)
            lineEnd = int(t.size());
        pieces.push_back({lineStart, std::min(lineStart + 8, lineEnd), 0x800000});
        const int op = int(t.indexOf(QLatin1String("  "), lineStart + 10));
        const int bracket = int(t.indexOf(QLatin1Char('['), lineStart));
        const int semi = int(t.indexOf(QLatin1Char(';'), lineStart));
        if (op > 0 && op + 6 < lineEnd)
            pieces.push_back({op + 2, std::min(op + 6, lineEnd), 0x0000C0});
        if (bracket >= 0 && bracket < lineEnd) {
            const int close = int(t.indexOf(QLatin1Char(']'), bracket));
            if (close > 0 && close < lineEnd && (semi < 0 || semi > close))
                pieces.push_back({bracket, close + 1, 0x008000});
        }
        if (semi >= 0 && semi < lineEnd)
            pieces.push_back({semi, lineEnd, 0x808080});
        lineStart = lineEnd + 2;
    }
    std::sort(pieces.begin(), pieces.end(), [](const ColorPiece &a, const ColorPiece &b) { return a.start < b.start; });
    std::vector<ColorPiece> disjoint;
    for (const ColorPiece &p : pieces)
        if (disjoint.empty() || p.start >= disjoint.back().end)
            disjoint.push_back(p);
    d.runs.Recolor(disjoint, d.formats);
    return d;
}

QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool WriteAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

double ChildrenCpuMs()
{
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1000.0 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1000.0;
}

// Runs a program to its end; its CPU time in ms, or -1.
double RunMs(const QString &program, const QStringList &args, const QString &outPath)
{
    QProcess p;
    if (!outPath.isEmpty())
        p.setStandardOutputFile(outPath);
    const double before = ChildrenCpuMs();
    p.start(program, args);
    if (!p.waitForStarted() || !p.waitForFinished(-1) || p.exitCode() != 0)
        return -1;
    return ChildrenCpuMs() - before;
}

long PeakKb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

int Convert(const QString &in, const QString &out)
{
    Document doc;
    QString error;
    QElapsedTimer t;
    t.start();
    if (!ReadRtf(ReadAll(in), &doc, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    const double readMs = t.nsecsElapsed() / 1e6;
    std::printf("peak after reading: %ld MB\n", PeakKb() / 1024);
    t.restart();
    const QByteArray rtf = WriteRtf(doc);
    const double writeMs = t.nsecsElapsed() / 1e6;
    std::printf("read %.1f ms: %lld characters, %zu runs, %lld pictures; write %.1f ms: %lld bytes\n", readMs,
                qint64(doc.text.size()), doc.runs.Runs().size(), qint64(doc.pictures.size()), writeMs,
                qint64(rtf.size()));
    return out.isEmpty() || WriteAll(out, rtf) ? 0 : 1;
}

// highlight's RTF of the first lines of the listing, or empty.
QByteArray HighlightRtf(const QString &highlight, const QString &listing, int lines, const QString &dir)
{
    const QString in = dir + QStringLiteral("/listing%1.asm").arg(lines);
    const QString out = dir + QStringLiteral("/listing%1.rtf").arg(lines);
    const qsizetype cut = lines > 0 ? [&] {
        qsizetype at = -1;
        for (int i = 0; i < lines && (at = listing.indexOf(QLatin1Char('\n'), at + 1)) >= 0;)
            ++i;
        return at < 0 ? listing.size() : at;
    }() : listing.size();
    if (!WriteAll(in, listing.left(cut).toUtf8()))
        return {};
    if (RunMs(highlight, {QStringLiteral("-S"), QStringLiteral("asm"), QStringLiteral("-O"), QStringLiteral("rtf"),
                          QStringLiteral("-i"), in, QStringLiteral("-o"), out}, QString()) < 0)
        return {};
    return ReadAll(out);
}

QByteArray PictureCopies(int copies)
{
    QImage img(1400, 1400, QImage::Format_RGB32);
    img.fill(qRgb(250, 250, 240));
    for (int y = 0; y < img.height(); y += 50)
        for (int x = (y * 13) % 11; x < img.width(); x += 23)
            img.setPixel(x, y, qRgb(x % 256, y % 256, 90));
    QBuffer png;
    png.open(QIODevice::WriteOnly);
    img.save(&png, "PNG");
    const QByteArray pict = "{\\pict\\pngblip\\picw1400\\pich1400 " + png.data().toHex() + "}\r\n";
    return "{\\rtf1\\ansi " + pict.repeated(copies) + "}";
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 3 && args[1] == QLatin1String("--convert"))
        return Convert(args[2], args.value(3));
    if (args.size() == 4 && args[1] == QLatin1String("--pictures"))
        return WriteAll(args[3], PictureCopies(args[2].toInt())) ? 0 : 1;
    if (args.size() == 4 && args[1] == QLatin1String("--listing"))
        return WriteAll(args[3], GenerateListing(args[2].toInt()).toUtf8()) ? 0 : 1;
    const int lines = args.size() > 1 ? args[1].toInt() : 100000;
    const int unrtfLines = args.size() > 2 ? args[2].toInt() : 10000;

    const QString listing = GenerateListing(lines);
    const Document source = ColouredListing(listing);
    std::printf("listing: %d lines, %lld characters, %zu runs in %d formats\n", lines, qint64(source.text.size()),
                source.runs.Runs().size(), source.formats.Count());

    QByteArray rtf;
    const double writeMs = BestMs(5, [&] { rtf = WriteRtf(source); });
    std::printf("write RTF from the document            %9.1f ms   (%.2f MB)\n", writeMs, rtf.size() / 1048576.0);
    Document back;
    const double readMs = BestMs(3, [&] { ReadRtf(rtf, &back, nullptr); });
    const bool same = back.text == source.text && back.runs.Runs().size() == source.runs.Runs().size();
    std::printf("read it back                           %9.1f ms   (same text and runs: %s)\n", readMs,
                same ? "yes" : "NO");

    const QString highlight = QStandardPaths::findExecutable(QStringLiteral("highlight"));
    const QString unrtf = QStandardPaths::findExecutable(QStringLiteral("unrtf"));
    if (highlight.isEmpty()) {
        std::printf("(highlight not found: no figures for its RTF)\n");
        return same ? 0 : 1;
    }
    QTemporaryDir dir;
    const QByteArray full = HighlightRtf(highlight, listing, 0, dir.path());
    const double fullMs = BestMs(3, [&] { ReadRtf(full, &back, nullptr); });
    std::printf("read highlight's RTF, %d lines         %9.1f ms   (%.1f MB, %zu runs)\n", lines, fullMs,
                full.size() / 1048576.0, back.runs.Runs().size());
    if (unrtf.isEmpty()) {
        std::printf("(unrtf not found: no peer figures)\n");
        return same ? 0 : 1;
    }
    const QByteArray part = HighlightRtf(highlight, listing, unrtfLines, dir.path());
    const QString partPath = dir.path() + QStringLiteral("/listing%1.rtf").arg(unrtfLines);
    const double partMs = BestMs(3, [&] { ReadRtf(part, &back, nullptr); });
    const double peerMs = RunMs(unrtf, {QStringLiteral("--text"), partPath}, dir.path() + QStringLiteral("/unrtf.txt"));
    std::printf("read highlight's RTF, %d lines          %9.2f ms   (%.2f MB)\n", unrtfLines, partMs,
                part.size() / 1048576.0);
    std::printf("unrtf --text on that file              %9.1f ms\n", peerMs);
    std::printf("ratio ours / unrtf, same file          %9.4f     (aim <= 0.1)\n", partMs / peerMs);
    const double scaled = peerMs * double(full.size()) / double(part.size());
    std::printf("unrtf scaled linearly to %d lines    %9.0f ms (an underestimate)\n", lines, scaled);
    std::printf("ratio ours / scaled unrtf, full file   %9.4f     (aim <= 0.1)\n", fullMs / scaled);
    return same ? 0 : 1;
}
