#include "document/color_layers.h"

#include <algorithm>
#include <iterator>
#include <map>

namespace lumora {

namespace {

// Beyond this many layers of overlapping runs, an interval map serves
// better than working out layer by layer what shows through.
constexpr size_t kMaxLayers = 16;

// Cuts the runs into layers, each sorted and free of overlaps, keeping their
// order: a later layer lies over an earlier one.
std::vector<std::vector<ColorPiece>> Layers(const std::vector<ColorPiece> &runs)
{
    std::vector<std::vector<ColorPiece>> layers;
    for (const ColorPiece &r : runs) {
        if (layers.empty() || (!layers.back().empty() && r.start < layers.back().back().end))
            layers.emplace_back();
        layers.back().push_back(r);
    }
    return layers;
}

// Appends the parts of r that no interval of covered (sorted, disjoint)
// hides; *at only moves forward as r does.
void VisibleParts(const ColorPiece &r, const std::vector<ColorPiece> &covered, size_t *at,
                  std::vector<ColorPiece> &out)
{
    while (*at < covered.size() && covered[*at].end <= r.start)
        ++*at;
    int from = r.start;
    for (size_t i = *at; i < covered.size() && covered[i].start < r.end; ++i) {
        if (covered[i].start > from)
            out.push_back({from, covered[i].start, r.color});
        from = std::max(from, covered[i].end);
    }
    if (from < r.end)
        out.push_back({from, r.end, r.color});
}

std::vector<ColorPiece> Union(const std::vector<ColorPiece> &a, const std::vector<ColorPiece> &b)
{
    std::vector<ColorPiece> all;
    all.reserve(a.size() + b.size());
    std::merge(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(all),
               [](const ColorPiece &x, const ColorPiece &y) { return x.start < y.start; });
    std::vector<ColorPiece> out;
    for (const ColorPiece &r : all) {
        if (!out.empty() && r.start <= out.back().end)
            out.back().end = std::max(out.back().end, r.end);
        else
            out.push_back(r);
    }
    return out;
}

// What shows through when the runs are painted in order, for many layers:
// the runs from last to first, each keeping what no later run covers.
std::vector<ColorPiece> PaintBackwards(const std::vector<ColorPiece> &runs)
{
    std::map<int, int> covered;   // start -> end, disjoint
    std::vector<ColorPiece> pieces;
    for (auto r = runs.rbegin(); r != runs.rend(); ++r) {
        int lo = r->start, hi = r->end, from = r->start;
        auto it = covered.upper_bound(lo);
        if (it != covered.begin() && std::prev(it)->second >= lo)
            --it;
        while (it != covered.end() && it->first <= r->end) {
            if (it->first > from)
                pieces.push_back({from, it->first, r->color});
            from = std::max(from, it->second);
            lo = std::min(lo, it->first);
            hi = std::max(hi, it->second);
            it = covered.erase(it);
        }
        if (from < r->end)
            pieces.push_back({from, r->end, r->color});
        covered[lo] = hi;
    }
    return pieces;
}

// What each character ends up with when the runs are applied in order:
// disjoint pieces, sorted, neighbours of one colour joined.
std::vector<ColorPiece> Flatten(const std::vector<ColorPiece> &runs)
{
    const auto layers = Layers(runs);
    std::vector<ColorPiece> pieces;
    if (layers.size() > kMaxLayers) {
        pieces = PaintBackwards(runs);
    } else {
        std::vector<ColorPiece> covered;
        for (auto layer = layers.rbegin(); layer != layers.rend(); ++layer) {
            size_t at = 0;
            for (const ColorPiece &r : *layer)
                VisibleParts(r, covered, &at, pieces);
            covered = Union(covered, *layer);
        }
    }
    std::sort(pieces.begin(), pieces.end(), [](const ColorPiece &x, const ColorPiece &y) { return x.start < y.start; });
    std::vector<ColorPiece> joined;
    joined.reserve(pieces.size());
    for (const ColorPiece &p : pieces) {
        if (!joined.empty() && joined.back().end == p.start && joined.back().color == p.color)
            joined.back().end = p.end;
        else
            joined.push_back(p);
    }
    return joined;
}

// Clips the runs to the text; a run that takes one character of a CR LF
// takes the whole break, before the runs are layered, so that the later run
// gets all of it.
std::vector<ColorPiece> Clipped(QStringView text, std::vector<ColorPiece> runs)
{
    const int len = int(text.size());
    const auto onLf = [&](int p) { return p > 0 && p < len && text[p] == u'\n' && text[p - 1] == u'\r'; };
    std::vector<ColorPiece> clipped;
    clipped.reserve(runs.size());
    for (ColorPiece r : runs) {
        r.start = std::clamp(r.start, 0, len);
        r.end = std::clamp(r.end, r.start, len);
        if (r.end <= r.start)
            continue;
        r.start -= onLf(r.start) ? 1 : 0;
        r.end += onLf(r.end) ? 1 : 0;
        // Running into the one before it in the same colour, it simply
        // makes that one longer.
        if (!clipped.empty() && clipped.back().color == r.color && r.start <= clipped.back().end
            && r.start >= clipped.back().start)
            clipped.back().end = std::max(clipped.back().end, r.end);
        else
            clipped.push_back(r);
    }
    return clipped;
}

} // namespace

void PaintColorRuns(QStringView text, std::vector<ColorPiece> runs, RunList &formats, FormatTable &table)
{
    const std::vector<ColorPiece> clipped = Clipped(text, std::move(runs));
    auto layers = Layers(clipped);
    if (layers.size() > kMaxLayers) {
        formats.Recolor(Flatten(clipped), table);
        return;
    }
    for (const auto &layer : layers)
        formats.Recolor(layer, table);
}

} // namespace lumora
