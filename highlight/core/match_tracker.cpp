#include "highlight/core/match_tracker.h"

#include <algorithm>
#include <limits>

namespace lumora {

namespace {

void AddToGroups(std::vector<SpanList> &covered, quint32 groups, int start, int end)
{
    for (size_t g = 0; groups; ++g, groups >>= 1) {
        if (groups & 1u)
            AddSpan(covered[g], start, end);
    }
}

} // namespace

void AddSpan(SpanList &spans, int start, int end)
{
    while (!spans.empty() && start <= spans.back().end) {
        start = std::min(start, spans.back().start);
        spans.pop_back();
    }
    spans.push_back({start, end});
}

MatchTracker::MatchTracker(const KeywordTrie &trie, std::vector<SpanList> &covered)
    : m_trie(trie), m_covered(covered), m_wake(size_t(trie.Keys()), 0), m_chain(size_t(trie.Keys()), 1)
{
    qint32 longest = 0;
    // Shorter keys come first, so a chain's tail is counted before its head.
    for (qint32 k = 0; k < trie.Keys(); ++k) {
        const qint32 shorter = trie.Shorter(k);
        if (shorter >= 0)
            m_chain[size_t(k)] += m_chain[size_t(shorter)];
        longest = std::max(longest, m_chain[size_t(k)]);
    }
    if (longest > kShortChain)
        BuildPaths();
}

void MatchTracker::BuildPaths()
{
    const qint32 keys = m_trie.Keys();
    std::vector<qint32> size(size_t(keys), 1), heavy(size_t(keys), -1);
    for (qint32 k = keys - 1; k >= 0; --k) {
        const qint32 up = m_trie.Shorter(k);
        if (up >= 0)
            size[size_t(up)] += size[size_t(k)];
    }
    for (qint32 k = keys - 1; k >= 0; --k) {
        const qint32 up = m_trie.Shorter(k);
        if (up >= 0 && (heavy[size_t(up)] < 0 || size[size_t(k)] > size[size_t(heavy[size_t(up)])]))
            heavy[size_t(up)] = k;
    }
    m_head.assign(size_t(keys), 0);
    m_pos.assign(size_t(keys), 0);
    m_keyAt.assign(size_t(keys), 0);
    qint32 next = 0;
    for (qint32 k = 0; k < keys; ++k) {
        const qint32 up = m_trie.Shorter(k);
        if (up >= 0 && heavy[size_t(up)] == k)
            continue;   // inside a path that starts higher up
        for (qint32 v = k; v >= 0; v = heavy[size_t(v)]) {
            m_head[size_t(v)] = k;
            m_pos[size_t(v)] = next;
            m_keyAt[size_t(next++)] = v;
        }
    }
    m_tree.Reset(keys);
}

void MatchTracker::ReportShort(qint32 key, int end)
{
    for (; key >= 0; key = m_trie.Shorter(key)) {
        if (m_wake[size_t(key)] <= end)
            Take(key, end);
    }
}

void MatchTracker::ReportLong(qint32 key, int end)
{
    while (key >= 0) {
        const qint32 head = m_head[size_t(key)];
        m_found.clear();
        m_tree.Collect(m_pos[size_t(head)], m_pos[size_t(key)], end, m_found);
        for (qint32 at : m_found) {
            const qint32 k = m_keyAt[size_t(at)];
            if (m_wake[size_t(k)] <= end)
                Take(k, end);
            else
                m_tree.Set(at, m_wake[size_t(k)]);   // asleep since the tree last heard of it
        }
        m_work += 16;
        key = m_trie.Shorter(head);
    }
}

void MatchTracker::Take(qint32 key, int end)
{
    const int length = m_trie.Length(key);
    AddToGroups(m_covered, m_trie.Groups(key), end - length, end);
    m_wake[size_t(key)] = qint64(end) + length;
    ++m_work;
}

void MatchTracker::WakeTree::Reset(qint32 size)
{
    m_leaves = 1;
    while (m_leaves < size)
        m_leaves *= 2;
    // Every key may match from the start; positions past the keys never.
    m_min.assign(2 * size_t(m_leaves), std::numeric_limits<qint64>::max());
    for (qint32 i = 0; i < size; ++i)
        m_min[size_t(m_leaves + i)] = 0;
    for (size_t node = size_t(m_leaves) - 1; node >= 1; --node)
        m_min[node] = std::min(m_min[2 * node], m_min[2 * node + 1]);
}

void MatchTracker::WakeTree::Set(qint32 at, qint64 wake)
{
    size_t node = size_t(m_leaves + at);
    m_min[node] = wake;
    for (node /= 2; node >= 1; node /= 2)
        m_min[node] = std::min(m_min[2 * node], m_min[2 * node + 1]);
}

void MatchTracker::WakeTree::Collect(qint32 lo, qint32 hi, qint64 end, std::vector<qint32> &out) const
{
    Collect(1, 0, m_leaves - 1, lo, hi, end, out);
}

void MatchTracker::WakeTree::Collect(size_t node, qint32 nodeLo, qint32 nodeHi, qint32 lo, qint32 hi, qint64 end,
                                     std::vector<qint32> &out) const
{
    if (nodeHi < lo || nodeLo > hi || m_min[node] > end)
        return;
    if (nodeLo == nodeHi) {
        out.push_back(nodeLo);
        return;
    }
    const qint32 mid = nodeLo + (nodeHi - nodeLo) / 2;
    Collect(2 * node, nodeLo, mid, lo, hi, end, out);
    Collect(2 * node + 1, mid + 1, nodeHi, lo, hi, end, out);
}

} // namespace lumora
