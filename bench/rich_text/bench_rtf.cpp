// Saving and loading a large coloured disassembly listing as RTF, loading it
// as plain text, and the same RTF through `unrtf --text` as a peer.
//
//   bench_rtf [lines]          (default 100000)
//
// Memory is measured in child processes of this program, one per kind of
// load, so that each figure holds only that document.

#include "rich_text_box.h"
#include "rtf_reader.h"
#include "rtf_writer.h"
#include "text_codec.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextDocument>

#include <cstdio>
#include <functional>
#include <random>

using namespace lumora;

namespace {

struct Listing
{
    QString text;   // '\n' between lines
    QVector<ColorRun> runs;
};

// Debugger-style lines: address, bytes, mnemonic, operands, comment, each
// part in its own colour, the way the highlighting pass leaves them.
Listing MakeListing(int lines)
{
    static const char *const ops[] = {"PUSH EBP", "MOV EBP,ESP", "SUB ESP,%1", "MOV EAX,DWORD PTR SS:[EBP+%1]",
                                      "LEA ECX,DWORD PTR SS:[EBP-%1]", "CALL %2", "TEST EAX,EAX", "JNZ SHORT %2",
                                      "XOR EAX,EAX", "CMP AL,BYTE PTR DS:[EDX]", "RETN %1", "JMP %2"};
    static const char *const comments[] = {"", "", "; /Buffer", "; ASCII \"Registration failed!\"",
                                           "; 注册码错误", "; |Count = 10 (16.)", "", "; 比较用户名"};
    std::mt19937 rng(42);
    Listing out;
    out.text.reserve(qsizetype(lines) * 72);
    quint32 address = 0x00401000;
    int pos = 0;   // CR LF positions, as ApplyColorRuns counts
    for (int i = 0; i < lines; ++i) {
        const QString addr = QString::number(address, 16).toUpper().rightJustified(8, QLatin1Char('0'));
        QString op = QString::fromLatin1(ops[rng() % std::size(ops)]);
        op.replace(QLatin1String("%1"), QString::number(rng() % 0x100, 16).toUpper());
        op.replace(QLatin1String("%2"), QString::number(0x00401000 + rng() % 0x10000, 16).toUpper().rightJustified(8, QLatin1Char('0')));
        const QString bytes = QString::number(rng() % 0xFFFFFF, 16).toUpper().leftJustified(14, QLatin1Char(' '));
        const QString comment = QString::fromUtf8(comments[rng() % std::size(comments)]);
        QString line = addr + QLatin1String("  |.  ") + bytes + QLatin1Char(' ');
        const int opAt = int(line.size());
        line += op.leftJustified(40, QLatin1Char(' ')) + comment;
        const int space = int(op.indexOf(QLatin1Char(' ')));
        out.runs.append({pos, 8, 0x00800000});
        out.runs.append({pos + opAt, space < 0 ? int(op.size()) : space, 0x000000C0});
        const int bracket = int(op.indexOf(QLatin1Char('[')));
        if (bracket >= 0)
            out.runs.append({pos + opAt + bracket, int(op.indexOf(QLatin1Char(']'))) - bracket + 1, 0x00008000});
        if (!comment.isEmpty())
            out.runs.append({pos + opAt + 40, int(comment.size()), 0x00808080});
        out.text += line;
        if (i + 1 < lines)
            out.text += QLatin1Char('\n');
        pos += int(line.size()) + 2;
        address += 1 + rng() % 7;
    }
    return out;
}

long StatusKb(const char *field)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').first().toLong();
    return -1;
}

double BestMs(int rounds, const std::function<void()> &work)
{
    double best = 1e300;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer t;
        t.start();
        work();
        best = std::min(best, t.nsecsElapsed() / 1e6);
    }
    return best;
}

QString Decoded(const QByteArray &bytes)
{
    QString text;
    DecodeTextFile(bytes, &text, nullptr);
    return text;
}

// Child: load one file the editor's way, print baseline and peak memory.
int LoadChild(const QString &mode, const QString &path)
{
    RichTextBox box;
    box.resize(1000, 700);
    box.show();
    QApplication::processEvents();
    const long base = StatusKb("VmRSS:");
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return 2;
    {
        const QByteArray bytes = f.readAll();
        if (mode == QLatin1String("--load-rtf")) {
            if (!box.SetTextRTF(bytes))
                return 3;
        } else {
            box.setPlainText(Decoded(bytes));
        }
    }
    QApplication::processEvents();
    std::printf("%ld %ld %ld %d\n", base, StatusKb("VmHWM:"), StatusKb("VmRSS:"), box.TextLength());
    return 0;
}

struct Memory
{
    long baseKb = -1, peakKb = -1, rssKb = -1;
};

Memory MeasureChild(const QString &mode, const QString &path)
{
    QProcess p;
    p.start(QApplication::applicationFilePath(), {mode, path});
    p.waitForFinished(-1);
    const QList<QByteArray> f = p.readAllStandardOutput().trimmed().split(' ');
    Memory m;
    if (p.exitCode() == 0 && f.size() >= 3) {
        m.baseKb = f[0].toLong();
        m.peakKb = f[1].toLong();
        m.rssKb = f[2].toLong();
    }
    return m;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1].startsWith(QLatin1String("--load-")))
        return LoadChild(args[1], args[2]);
    if (args.size() == 4 && args[1] == QLatin1String("--save")) {
        const Listing l = MakeListing(args[2].toInt());
        RichTextBox box;
        box.setPlainText(l.text);
        box.ApplyColorRuns(l.runs);
        QFile f(args[3]);
        return f.open(QIODevice::WriteOnly) && f.write(WriteRtf(*box.document())) > 0 ? 0 : 1;
    }
    const int lines = args.size() > 1 ? args[1].toInt() : 100000;

    const int unrtfLimitS = args.size() > 2 ? args[2].toInt() : 3600;

    QElapsedTimer setup;
    setup.start();
    const Listing listing = MakeListing(lines);
    RichTextBox source;
    source.setPlainText(listing.text);
    source.ApplyColorRuns(listing.runs);
    QByteArray plainBytes;
    EncodeTextFile(source.Text(), &plainBytes, nullptr);
    const double textMb = plainBytes.size() / 1048576.0;
    std::printf("listing: %d lines, %.2f MB of text, %lld colour runs (built in %.1f s)\n", lines, textMb,
                qint64(listing.runs.size()), setup.elapsed() / 1000.0);
    std::fflush(stdout);

    QByteArray rtf;
    const double writeMs = BestMs(3, [&] { rtf = WriteRtf(*source.document()); });
    std::printf("write RTF (WriteRtf)                   %9.1f ms   (RTF %.2f MB)\n", writeMs, rtf.size() / 1048576.0);
    std::fflush(stdout);

    QTemporaryDir dir;
    const QString rtfPath = dir.filePath(QStringLiteral("listing.rtf"));
    const QString txtPath = dir.filePath(QStringLiteral("listing.txt"));
    {
        QFile f(rtfPath);
        f.open(QIODevice::WriteOnly);
        f.write(rtf);
        QFile t(txtPath);
        t.open(QIODevice::WriteOnly);
        t.write(plainBytes);
    }

    RichTextBox target;
    target.resize(1000, 700);
    target.show();
    QApplication::processEvents();
    const double readMs = BestMs(3, [&] { target.SetTextRTF(rtf); });
    const bool same = target.Text() == source.Text();
    const double readShownMs = BestMs(1, [&] {
        target.SetTextRTF(rtf);
        QApplication::processEvents();
    });
    std::printf("read RTF into the editor (SetTextRTF)  %9.1f ms   (same text: %s)\n", readMs, same ? "yes" : "NO");
    std::printf("  ... and shown (+ one event loop pass) %8.1f ms\n", readShownMs);
    std::printf("ratio read / write                     %9.2f x   (aim >= 1)\n", readMs / writeMs);
    std::fflush(stdout);

    RichTextBox plain;
    plain.resize(1000, 700);
    plain.show();
    const double plainMs = BestMs(3, [&] { plain.setPlainText(Decoded(plainBytes)); });
    std::printf("read plain text (decode + setPlainText) %8.1f ms\n", plainMs);
    std::fflush(stdout);

    auto mem = [&](const char *what, const Memory &m) {
        const double docMb = (m.peakKb - m.baseKb) / 1024.0;
        std::printf("%s: process peak %.1f MB, baseline %.1f MB, growth to peak %.1f MB = %.1f x text (aim < 20)\n",
                    what, m.peakKb / 1024.0, m.baseKb / 1024.0, docMb, docMb / textMb);
        std::fflush(stdout);
    };
    mem("memory, RTF load ", MeasureChild(QStringLiteral("--load-rtf"), rtfPath));
    mem("memory, text load", MeasureChild(QStringLiteral("--load-text"), txtPath));

    // The peer is slow on large files (its time grows faster than the
    // size), so it runs once, with a limit.
    QProcess p;
    QElapsedTimer t;
    t.start();
    p.start(QStringLiteral("unrtf"), {QStringLiteral("--text"), rtfPath});
    QByteArray out;
    bool finished = p.waitForStarted();
    if (finished) {
        while (p.state() != QProcess::NotRunning && t.elapsed() < qint64(unrtfLimitS) * 1000) {
            p.waitForReadyRead(1000);
            out += p.readAllStandardOutput();
        }
        finished = p.state() == QProcess::NotRunning;
        if (!finished) {
            p.kill();
            p.waitForFinished();
        }
        out += p.readAllStandardOutput();
    }
    const double unrtfMs = t.nsecsElapsed() / 1e6;
    if (finished && p.exitCode() == 0) {
        std::printf("unrtf --text (peer, one run)           %9.1f ms   (%lld bytes out)\n", unrtfMs, qint64(out.size()));
        std::printf("ratio unrtf / our RTF read             %9.1f x   (aim >= 5)\n", unrtfMs / readMs);
    } else if (!finished) {
        std::printf("unrtf --text (peer)                    stopped after %d s\n", unrtfLimitS);
        std::printf("ratio unrtf / our RTF read             > %.1f x   (aim >= 5)\n", unrtfMs / readMs);
    } else {
        std::printf("unrtf --text (peer)                    not available\n");
    }
    return same ? 0 : 1;
}
