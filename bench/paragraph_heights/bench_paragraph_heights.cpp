// Paragraph heights for pixel scrolling at the size of the biggest documents:
// building, lookups, edits and memory, against the flat way (a vector of
// heights with an array of tops patched on every change) in the same run.
//
//   build/bin/bench_paragraph_heights [paragraphs]
#include "bench/bench_support.h"
#include "document/paragraph_heights.h"

#include <QElapsedTimer>
#include <cstdio>
#include <random>

using namespace lumora;

namespace {

// Mean nanoseconds per call of f over count calls.
template <typename F>
double NsPer(int count, F f)
{
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < count; ++i)
        f(i);
    return double(t.nsecsElapsed()) / count;
}

// The flat way: a change to one height moves every later top.
double FlatSetNs(int n, std::mt19937 &rng)
{
    std::vector<int> heights(size_t(n), 20);
    std::vector<qint64> tops(size_t(n) + 1);
    for (int i = 0; i < n; ++i)
        tops[size_t(i) + 1] = tops[size_t(i)] + heights[size_t(i)];
    return NsPer(200, [&](int) {
        const size_t p = rng() % size_t(n);
        const int delta = int(rng() % 40) - heights[p];
        heights[p] += delta;
        for (size_t i = p + 1; i < tops.size(); ++i)
            tops[i] += delta;
    });
}

} // namespace

int main(int argc, char **argv)
{
    const int n = argc > 1 ? std::max(1, atoi(argv[1])) : 10'000'000;
    std::mt19937 rng(7);
    const double startMb = PeakRssMb();
    QElapsedTimer t;
    t.start();
    ParagraphHeights h(20);
    h.Insert(0, n);
    const double buildS = double(t.nsecsElapsed()) / 1e9;
    const double builtMb = PeakRssMb();
    std::printf("%d paragraphs: built in %.3f s; peak %.1f MB (%.1f MB over the start, %.2f bytes a paragraph)\n",
                n, buildS, builtMb, builtMb - startMb, (builtMb - startMb) * 1048576 / n);

    const int ops = 1'000'000;
    volatile qint64 sink = 0;
    const double measureNs = NsPer(ops, [&](int) { sink = sink + h.SetMeasured(int(rng() % unsigned(n)), int(rng() % 3000)); });
    const qint64 total = h.Total();
    const double topNs = NsPer(ops, [&](int) { sink = sink + h.Top(int(rng() % unsigned(n))); });
    const double atNs = NsPer(ops, [&](int) { sink = sink + h.ParagraphAt(qint64(rng() % quint64(total))).paragraph; });
    const double totalNs = NsPer(ops, [&](int) { sink = sink + h.Total(); });
    const double insertNs = NsPer(ops / 10, [&](int) { h.Insert(int(rng() % unsigned(h.Count() + 1))); });
    const double removeNs = NsPer(ops / 10, [&](int) { h.Remove(int(rng() % unsigned(h.Count()))); });
    t.restart();
    h.InvalidateAll(20);
    const double invalidateS = double(t.nsecsElapsed()) / 1e9;
    std::printf("ns per call (mean of random ones): SetMeasured %.0f, Top %.0f, ParagraphAt %.0f, Total %.0f, "
                "Insert %.0f, Remove %.0f; InvalidateAll %.3f s\n",
                measureNs, topNs, atNs, totalNs, insertNs, removeNs, invalidateS);
    std::printf("peak after the edits %.1f MB\n", PeakRssMb());
    const double flatNs = FlatSetNs(n, rng);
    std::printf("the flat way, one height changed: %.0f ns (ratio %.5f)\n", flatNs, measureNs / flatNs);
    return sink == 42 ? 1 : 0;
}
