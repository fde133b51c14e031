// Big inputs: a 50 MB plain-text listing opened, highlighted, searched and
// saved in an editing area; keyword lists of 100,000 entries and of one
// 10 MB entry.  Prints time and peak memory of each step, with plain reads
// and Qt's own calls as peers.
//
//   QT_QPA_PLATFORM=offscreen build/bin/bench_big [MB]
#include "document/case_fold.h"
#include "bench/bench_support.h"
#include "document/document_files.h"
#include "highlight/highlight.h"
#include "highlight/core/highlight_core.h"
#include "rich_text/rich_text_box.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>
#include <cstdio>

using namespace lumora;

namespace {

QByteArray Listing(qint64 bytes)
{
    QString s;
    const char *ops[] = {"MOV EAX,DWORD PTR SS:[EBP-4]", "CALL 00401234", "JE SHORT 00401050", "PUSH EBX",
                         "CMP EAX,ECX", "XOR EDX,EDX", "LEA ECX,DWORD PTR DS:[ESI+8]", "RETN"};
    for (int i = 0; s.size() < bytes; ++i) {
        s += QStringLiteral("%1  8B45 FC        %2    ; 注释 %3\r\n")
                 .arg(0x401000 + i * 3, 8, 16, QLatin1Char('0'))
                 .arg(QLatin1String(ops[i % 8]))
                 .arg(i);
    }
    s += QStringLiteral("00FFFFFF  C3  RETN ; needle");
    return QStringEncoder("GB18030").encode(s);
}

double Sec(QElapsedTimer &t) { return double(t.nsecsElapsed()) / 1e9; }

void Step(const char *what, double seconds)
{
    std::printf("  %-44s %8.2f s   peak RSS %5.0f MB\n", what, seconds, PeakRssMb());
    std::fflush(stdout);
}

void Lists(const QString &text)
{
    const QString folded = FoldCase(text);
    const auto run = [&](const char *name, const KeywordLists &lists) {
        const double before = PeakRssMb();
        QElapsedTimer t;
        t.start();
        HighlightSpans spans;
        ComputeHighlight(folded, lists, &spans);
        std::printf("  %-44s %8.2f s   peak RSS +%.0f MB\n", name, Sec(t), PeakRssMb() - before);
    };
    KeywordLists many;
    QRandomGenerator rng(1);
    for (int i = 0; i < 100000; ++i) {
        QString w;
        for (int k = 0, n = 3 + int(rng.bounded(8)); k < n; ++k)
            w += QChar(char16_t(u'A' + rng.bounded(26)));
        (i % 2 ? many.eax : many.finda) << w;
    }
    run("100,000 random entries", many);
    KeywordLists one;
    one.jmp << QString(10 * 1024 * 1024, QLatin1Char('x'));
    run("one entry of 10 M characters", one);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const qint64 mb = argc > 1 ? std::atoll(argv[1]) : 50;
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("big.txt"));
    {
        QFile f(in);
        const QByteArray data = Listing(mb * 1024 * 1024);
        if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size())
            return 1;
    }
    std::printf("%lld MB listing, baseline peak RSS %.0f MB\n", mb, PeakRssMb());

    QElapsedTimer t;
    t.start();
    QByteArray raw;
    QString err;
    ReadFileBytes(in, &raw, &err);
    Step("peer: read the bytes", Sec(t));
    raw.clear();

    RichTextBox box;
    box.resize(825, 553);
    box.show();
    t.restart();
    if (!box.LoadFile(in, &err))
        return std::fprintf(stderr, "%s\n", qPrintable(err)), 1;
    QCoreApplication::processEvents();
    Step("open (decode, fill, first paint)", Sec(t));
    std::printf("  %d lines, %.1f M characters\n", box.Buffer().ParagraphCount(), box.TextLength() / 1e6);

    t.restart();
    HighlightEditorText(box, QCoreApplication::applicationDirPath());
    QCoreApplication::processEvents();
    Step("OD highlighting pass (shipped lists)", Sec(t));

    t.restart();
    const int hit = box.Find(QStringLiteral("needle"));
    Step("find, hit at the very end", Sec(t));
    QTextDocument qtDocument;   // Qt's own document, the peer
    qtDocument.setPlainText(box.RawText());
    t.restart();
    qtDocument.find(QStringLiteral("needle"));
    Step("peer: QTextDocument::find", Sec(t));
    std::printf("  (hit at %d)\n", hit);

    t.restart();
    box.SaveFile(dir.filePath(QStringLiteral("out.rtf")), &err);
    Step("save as RTF", Sec(t));
    t.restart();
    WriteTextFile(dir.filePath(QStringLiteral("out.txt")), box.Text(), &err);
    Step("save as text", Sec(t));
    std::printf("  RTF %lld MB, text %lld MB\n", QFileInfo(dir.filePath(QStringLiteral("out.rtf"))).size() >> 20,
                QFileInfo(dir.filePath(QStringLiteral("out.txt"))).size() >> 20);

    std::printf("keyword lists on the first 100,000 lines:\n");
    const QString text = box.Text();
    int end = 0;
    for (int line = 0; line < 100000 && end >= 0; ++line)
        end = int(text.indexOf(QLatin1String("\r\n"), end)) + 2;
    Lists(text.left(end));
    return 0;
}
