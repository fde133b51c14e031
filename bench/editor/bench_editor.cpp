// How much reading the editor's text and searching it cost on a large
// listing, against Qt's own calls that rebuild or rescan the document.
//
//   QT_QPA_PLATFORM=offscreen build/bin/bench_editor [lines]
#include "rich_text/rich_text_box.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTextCursor>
#include <QTextDocument>
#include <cstdio>

namespace {

QString Listing(int lines)
{
    QString s;
    s.reserve(lines * 72);
    for (int i = 0; i < lines; ++i) {
        s += QStringLiteral("%1  8B45 FC        MOV EAX,DWORD PTR SS:[EBP-4]     ; 局部变量 %2\n")
                 .arg(0x401000 + i * 3, 8, 16, QLatin1Char('0'))
                 .arg(i);
    }
    s += QStringLiteral("00500000  C3  RETN ; needle");
    return s;
}

double Ms(QElapsedTimer &t) { return double(t.nsecsElapsed()) / 1e6; }

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const int lines = argc > 1 ? std::atoi(argv[1]) : 100000;
    lumora::RichTextBox box;
    box.resize(800, 600);
    QElapsedTimer t;
    t.start();
    const QString listing = Listing(lines);
    box.SetPlainText(listing);
    std::printf("lines %d, %.2f million characters, SetPlainText %.1f ms\n", lines, box.TextLength() / 1e6, Ms(t));
    QTextDocument qtDocument;   // Qt's own document, the peer
    t.restart();
    qtDocument.setPlainText(listing);
    std::printf("QTextDocument::setPlainText %.1f ms\n", Ms(t));

    t.restart();
    const int len = box.TextLength();
    std::printf("TextLength(): %.4f ms\n", Ms(t));

    const int reps = 20;
    t.restart();
    qint64 total = 0;
    for (int i = 0; i < reps; ++i)
        total += box.Text().size();
    const double ours = Ms(t) / reps;
    t.restart();
    for (int i = 0; i < reps; ++i)
        total += qtDocument.toPlainText().size();
    const double qt = Ms(t) / reps;
    std::printf("Text(): %.4f ms per call; QTextDocument::toPlainText %.2f ms per call; ratio %.0fx\n", ours, qt,
                qt / std::max(ours, 1e-6));

    // A search that runs to the end of the text, and one near its start.
    const QString needle = QStringLiteral("needle");
    t.restart();
    int hit = 0;
    for (int i = 0; i < reps; ++i)
        hit = box.Find(needle, 0);
    const double findFar = Ms(t) / reps;
    t.restart();
    QTextCursor qc;
    for (int i = 0; i < reps; ++i)
        qc = qtDocument.find(needle, 0);
    const double qtFar = Ms(t) / reps;
    std::printf("Find to the end (hit %d of %d): %.2f ms; QTextDocument::find %.2f ms; ratio %.1fx\n", hit, len,
                findFar, qtFar, qtFar / std::max(findFar, 1e-6));

    t.restart();
    for (int i = 0; i < reps; ++i)
        hit = box.Find(QStringLiteral("dword"), 5000 * 72);
    std::printf("Find near the start position: %.4f ms per call\n", Ms(t) / reps);

    // An edit, then the whole text again (built anew from the store).
    t.restart();
    for (int i = 0; i < reps; ++i) {
        box.SetSelStart(1000 + i);
        box.SetSelText(QStringLiteral("x"));
        total += box.TextLength();
    }
    std::printf("edit + Text(): %.3f ms per edit\n", Ms(t) / reps);
    return total == 0;
}
