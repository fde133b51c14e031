#include "rich_text_box.h"

#include <QHash>
#include <QTextDocument>
#include <QTextCursor>
#include <algorithm>
#include <vector>

namespace lumora {

namespace {

// A run in document positions.
struct DocRun
{
    int start;
    int end;
    OleColor color;
};

// Beyond this many layers of overlapping runs, working out what shows
// through costs more than simply applying every run in turn.
constexpr size_t kMaxLayers = 16;

// Cuts the runs into layers, each sorted and free of overlaps, keeping their
// order: a later layer lies over an earlier one.
std::vector<std::vector<DocRun>> Layers(const std::vector<DocRun> &runs)
{
    std::vector<std::vector<DocRun>> layers;
    for (const DocRun &r : runs) {
        if (layers.empty() || (!layers.back().empty() && r.start < layers.back().back().end))
            layers.emplace_back();
        layers.back().push_back(r);
    }
    return layers;
}

// Appends the parts of r that no interval of covered (sorted, disjoint)
// hides; *at only moves forward as r does.
void VisibleParts(const DocRun &r, const std::vector<DocRun> &covered, size_t *at, std::vector<DocRun> &out)
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

std::vector<DocRun> Union(const std::vector<DocRun> &a, const std::vector<DocRun> &b)
{
    std::vector<DocRun> all;
    all.reserve(a.size() + b.size());
    std::merge(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(all),
               [](const DocRun &x, const DocRun &y) { return x.start < y.start; });
    std::vector<DocRun> out;
    for (const DocRun &r : all) {
        if (!out.empty() && r.start <= out.back().end)
            out.back().end = std::max(out.back().end, r.end);
        else
            out.push_back(r);
    }
    return out;
}

// What each character ends up with when the runs are applied in order:
// disjoint pieces, sorted, neighbours of one colour joined.
std::vector<DocRun> Flatten(const std::vector<DocRun> &runs)
{
    const auto layers = Layers(runs);
    if (layers.size() > kMaxLayers)
        return runs;
    std::vector<DocRun> pieces, covered;
    for (auto layer = layers.rbegin(); layer != layers.rend(); ++layer) {
        size_t at = 0;
        for (const DocRun &r : *layer)
            VisibleParts(r, covered, &at, pieces);
        covered = Union(covered, *layer);
    }
    std::sort(pieces.begin(), pieces.end(), [](const DocRun &x, const DocRun &y) { return x.start < y.start; });
    std::vector<DocRun> joined;
    joined.reserve(pieces.size());
    for (const DocRun &p : pieces) {
        if (!joined.empty() && joined.back().end == p.start && joined.back().color == p.color)
            joined.back().end = p.end;
        else
            joined.push_back(p);
    }
    return joined;
}

} // namespace

void RichTextBox::ApplyColorRuns(const QVector<ColorRun> &runs)
{
    if (runs.isEmpty())
        return;
    FormatOnlyScope scope(m_mirror);
    const int len = TextLength();
    std::vector<DocRun> mapped;
    mapped.reserve(size_t(runs.size()));
    for (const ColorRun &r : runs) {
        const int s0 = std::clamp(r.start, 0, len);
        const int s1 = int(std::clamp(qint64(r.start) + std::max(0, r.length), qint64(s0), qint64(len)));
        if (s1 > s0)
            mapped.push_back({ToDocPos(s0, false), ToDocPos(s1, true), r.color});
    }
    const std::vector<DocRun> pieces = Flatten(mapped);

    QHash<OleColor, QTextCharFormat> formats;
    QTextCursor c(document());
    c.beginEditBlock();
    for (const DocRun &p : pieces) {
        auto f = formats.find(p.color);
        if (f == formats.end()) {
            QTextCharFormat fmt;
            fmt.setForeground(ColorFromOle(p.color));
            f = formats.insert(p.color, fmt);
        }
        c.setPosition(p.start);
        c.setPosition(p.end, QTextCursor::KeepAnchor);
        c.mergeCharFormat(*f);
    }
    c.endEditBlock();
}

} // namespace lumora
