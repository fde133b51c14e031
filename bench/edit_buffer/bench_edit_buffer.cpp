// The edit buffer on a coloured 1,000,000-line listing: keystrokes with
// their undo history, a colouring pass over the whole document, its undo and
// redo, and the process's memory.
//
//   build/bin/bench_edit_buffer [lines] [keystrokes]
#include "bench/bench_support.h"
#include "bench/highlight/listing.h"
#include "document/edit_buffer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <malloc.h>
#include <random>
#include <time.h>

using namespace lumora;

namespace {

double Ms(const QElapsedTimer &t) { return double(t.nsecsElapsed()) / 1e6; }

// Colours every line as the pass does: address, bytes, code, comment.
void PaintListing(const QString &text, RunList &runs, FormatTable &formats, int shift)
{
    int ids[4];
    for (int i = 0; i < 4; ++i) {
        CharFormat f;
        f.color = OleColor(0x101010 * (i + 1 + shift));
        ids[i] = formats.Id(f);
    }
    RunList out;
    int at = 0;
    while (at < text.size()) {
        int end = int(text.indexOf(u'\r', at));
        if (end < 0)
            end = int(text.size());
        const int comment = int(text.indexOf(u';', at));
        const int code = std::min(at + 30, end);
        out.Append(std::min(8, end - at), ids[0]);
        out.Append(code - std::min(at + 8, end), ids[1]);
        const int codeEnd = comment >= 0 && comment < end ? comment : end;
        out.Append(codeEnd - code, ids[2]);
        out.Append(end - codeEnd, ids[3]);
        out.Append(std::min(2, int(text.size()) - end), 0);
        at = end + 2;
    }
    runs = std::move(out);
}

struct Spread
{
    double meanUs = 0, p99Us = 0, p999Us = 0, maxUs = 0;
};

Spread Measure(std::vector<double> each, double wallMs)
{
    Spread s;
    s.meanUs = wallMs * 1e3 / double(each.size());
    std::sort(each.begin(), each.end());
    s.p99Us = each[each.size() * 99 / 100];
    s.p999Us = each[each.size() * 999 / 1000];
    s.maxUs = each.back();
    return s;
}

// Keystrokes at random places, each a step of its own in the history, then
// a run typed at one place (one step).
void Keystrokes(EditBuffer &b, std::mt19937 &rng, int count)
{
    std::vector<double> each;
    each.reserve(size_t(count));
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < count; ++i) {
        const double before = ThreadCpuUs();
        const int p = int(rng() % unsigned(b.Length() + 1));
        b.SetSelection(p, p);
        b.Type(QStringLiteral("x"));
        each.push_back(ThreadCpuUs() - before);
    }
    Spread s = Measure(each, Ms(t));
    std::printf("  keystroke at a random place: mean %.1f us; CPU time 99 %% within %.0f us, 99.9 %% within %.0f us, "
                "slowest %.0f us\n", s.meanUs, s.p99Us, s.p999Us, s.maxUs);
    each.clear();
    t.restart();
    for (int i = 0; i < count; ++i) {
        const double before = ThreadCpuUs();
        b.Type(QStringLiteral("y"));
        each.push_back(ThreadCpuUs() - before);
    }
    s = Measure(each, Ms(t));
    std::printf("  keystroke going on at the caret: mean %.1f us; 99 %% within %.0f us, 99.9 %% within %.0f us\n",
                s.meanUs, s.p99Us, s.p999Us);
    t.restart();
    int undone = 0;
    for (; undone < 1000 && b.CanUndo(); ++undone)
        b.Undo();
    std::printf("  undo of a keystroke: mean %.1f us\n", Ms(t) * 1e3 / std::max(1, undone));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int lines = app.arguments().value(1, QStringLiteral("1000000")).toInt();
    std::mt19937 rng(1);
    Document doc;
    doc.text = GenerateListing(lines);
    doc.runs = RunList(int(doc.text.size()), 0);
    PaintListing(doc.text, doc.runs, doc.formats, 0);
    std::printf("listing of %d lines: %.1f M characters, %zu runs\n", lines, double(doc.text.size()) / 1e6,
                doc.runs.Runs().size());
    EditBuffer b;
    QElapsedTimer t;
    t.start();
    b.SetDocument(std::move(doc));
    malloc_trim(0);
    std::printf("  SetDocument %.0f ms; peak so far %.0f MB, in use %.0f MB\n", Ms(t), PeakRssMb(), RssMb());
    b.SetModified(false);
    Keystrokes(b, rng, app.arguments().value(2, QStringLiteral("100000")).toInt());
    std::printf("  peak after typing %.0f MB, in use %.0f MB\n", PeakRssMb(), RssMb());
    for (int shift = 1; shift <= 3; ++shift) {
        t.restart();
        b.Paint([shift](const QString &text, RunList &runs, FormatTable &formats) {
            PaintListing(text, runs, formats, shift);
        });
        const double paint = Ms(t);
        t.restart();
        b.Undo();
        const double undo = Ms(t);
        t.restart();
        b.Redo();
        const double redo = Ms(t);
        t.restart();
        b.Undo();
        std::printf("  colouring pass %.0f ms; its undo %.1f ms, redo %.1f ms, undo again %.1f ms\n", paint, undo, redo,
                    Ms(t));
    }
    malloc_trim(0);
    std::printf("  peak after the passes and their undo %.0f MB, in use %.0f MB\n", PeakRssMb(), RssMb());
    return 0;
}
