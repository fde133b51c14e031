#include "document/run_list.h"

#include "document/char_format.h"

#include <algorithm>

namespace lumora {

RunList::RunList(int length, int format)
{
    if (length > 0)
        m_runs.push_back({length, format});
}

size_t RunList::RunAt(int pos) const
{
    return size_t(std::upper_bound(m_runs.begin(), m_runs.end(), pos,
                                   [](int p, const FormatRun &r) { return p < r.end; })
                  - m_runs.begin());
}

void RunList::Append(int length, int format)
{
    if (length <= 0)
        return;
    if (!m_runs.empty() && m_runs.back().format == format)
        m_runs.back().end += length;
    else
        m_runs.push_back({Length() + length, format});
}

void RunList::Append(const RunList &other)
{
    int at = 0;
    for (const FormatRun &r : other.m_runs) {
        Append(r.end - at, r.format);
        at = r.end;
    }
}

RunList RunList::Slice(int from, int to) const
{
    RunList out;
    from = std::clamp(from, 0, Length());
    to = std::clamp(to, from, Length());
    for (size_t i = from < to ? RunAt(from) : m_runs.size(); i < m_runs.size() && RunStart(i) < to; ++i)
        out.Append(std::min(m_runs[i].end, to) - std::max(RunStart(i), from), m_runs[i].format);
    return out;
}

void RunList::Replace(int pos, int removed, const RunList &inserted)
{
    const int len = Length();
    pos = std::clamp(pos, 0, len);
    removed = std::clamp(removed, 0, len - pos);
    const int end = pos + removed;
    const int delta = inserted.Length() - removed;

    // The runs holding pos and end are cut there; whatever lies between
    // gives way to the inserted runs.
    const size_t first = RunAt(pos);
    const size_t last = RunAt(end);
    std::vector<FormatRun> middle;
    middle.reserve(inserted.m_runs.size() + 2);
    if (first < m_runs.size() && RunStart(first) < pos)
        middle.push_back({pos, m_runs[first].format});
    for (const FormatRun &r : inserted.m_runs)
        middle.push_back({pos + r.end, r.format});
    if (last < m_runs.size())
        middle.push_back({m_runs[last].end + delta, m_runs[last].format});
    const size_t stop = std::min(last + 1, m_runs.size());
    for (size_t i = stop; i < m_runs.size(); ++i)
        m_runs[i].end += delta;
    m_runs.erase(m_runs.begin() + qsizetype(first), m_runs.begin() + qsizetype(stop));
    m_runs.insert(m_runs.begin() + qsizetype(first), middle.begin(), middle.end());

    // Empty runs (a cut right at a run's edge) and equal neighbours go.
    size_t lo = first > 0 ? first - 1 : 0;
    size_t hi = std::min(first + middle.size() + 1, m_runs.size());
    for (size_t i = lo; i < hi;) {
        if (RunStart(i) == m_runs[i].end) {
            m_runs.erase(m_runs.begin() + qsizetype(i));
            --hi;
        } else if (i + 1 < hi && m_runs[i].format == m_runs[i + 1].format) {
            m_runs.erase(m_runs.begin() + qsizetype(i));
            --hi;
        } else {
            ++i;
        }
    }
}

void RunList::Recolor(const std::vector<ColorPiece> &pieces, FormatTable &formats)
{
    if (pieces.empty() || m_runs.empty())
        return;
    std::vector<FormatRun> out;
    out.reserve(m_runs.size() + 2 * pieces.size() + 1);
    const auto push = [&out](int end, int format) {
        if (!out.empty() && out.back().format == format)
            out.back().end = end;
        else if (out.empty() || out.back().end < end)
            out.push_back({end, format});
    };
    size_t p = 0;
    int at = 0;
    for (const FormatRun &r : m_runs) {
        while (at < r.end) {
            while (p < pieces.size() && pieces[p].end <= at)
                ++p;
            if (p == pieces.size() || pieces[p].start >= r.end) {
                push(r.end, r.format);
                at = r.end;
            } else if (pieces[p].start > at) {
                push(pieces[p].start, r.format);
                at = pieces[p].start;
            } else {
                const int stop = std::min(pieces[p].end, r.end);
                push(stop, formats.WithColor(r.format, pieces[p].color));
                at = stop;
            }
        }
    }
    m_runs.swap(out);
}

} // namespace lumora
