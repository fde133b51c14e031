#include "sparse_scan.h"

#include <algorithm>
#include <numeric>

namespace lumora {

namespace {

// How many leading characters of a pattern the trie holds.
constexpr int kKeyLength = 64;

struct Edge
{
    quint32 parent;
    char16_t c;
    qint32 child;
};

class SparseTrie
{
public:
    explicit SparseTrie(const std::vector<ScanPattern> &patterns);

    qint32 Step(qint32 s, char16_t c) const;
    qint32 Output(qint32 s) const { return m_termBegin[size_t(s)] < m_termBegin[size_t(s) + 1] ? s : m_out[size_t(s)]; }
    qint32 NextOutput(qint32 o) const { return m_out[size_t(o)]; }
    int Depth(qint32 s) const { return m_depth[size_t(s)]; }
    // Patterns whose key ends in state s.
    const qint32 *TermsBegin(qint32 s) const { return m_terms.data() + m_termBegin[size_t(s)]; }
    const qint32 *TermsEnd(qint32 s) const { return m_terms.data() + m_termBegin[size_t(s) + 1]; }

private:
    qint32 Child(qint32 s, char16_t c) const;
    void Build(const std::vector<ScanPattern> &patterns);
    void Link();

    std::vector<qint32> m_rootNext;   // the root's children, by character
    std::vector<quint32> m_edgeBegin; // per state, into m_edges (sorted by character)
    std::vector<Edge> m_edges;
    std::vector<quint8> m_depth;
    std::vector<qint32> m_fail;
    std::vector<qint32> m_out;        // nearest suffix state that ends a key, or -1
    std::vector<quint32> m_termBegin; // per state, into m_terms
    std::vector<qint32> m_terms;
};

SparseTrie::SparseTrie(const std::vector<ScanPattern> &patterns)
{
    Build(patterns);
    Link();
}

// Inserts the keys in sorted order, so that each new key shares the path of
// the previous one up to their common prefix.
void SparseTrie::Build(const std::vector<ScanPattern> &patterns)
{
    const auto key = [&](size_t p) { return QStringView(patterns[p].text).left(kKeyLength); };
    std::vector<size_t> order(patterns.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return key(a) < key(b); });

    std::vector<std::pair<qint32, qint32>> termPairs;   // (state, pattern)
    std::vector<qint32> path{0};
    m_depth.assign(1, 0);
    QStringView previous;
    for (size_t p : order) {
        const QStringView k = key(p);
        size_t common = 0;
        while (common < size_t(k.size()) && common < size_t(previous.size()) && k[common] == previous[common])
            ++common;
        path.resize(common + 1);
        for (size_t i = common; i < size_t(k.size()); ++i) {
            const qint32 child = qint32(m_depth.size());
            m_depth.push_back(quint8(i + 1));
            m_edges.push_back({quint32(path.back()), k[i].unicode(), child});
            path.push_back(child);
        }
        termPairs.emplace_back(path.back(), qint32(p));
        previous = k;
    }

    const size_t states = m_depth.size();
    std::sort(m_edges.begin(), m_edges.end(),
              [](const Edge &a, const Edge &b) { return a.parent != b.parent ? a.parent < b.parent : a.c < b.c; });
    m_edgeBegin.assign(states + 1, 0);
    for (const Edge &e : m_edges)
        ++m_edgeBegin[e.parent + 1];
    std::partial_sum(m_edgeBegin.begin(), m_edgeBegin.end(), m_edgeBegin.begin());
    m_rootNext.assign(65536, 0);
    for (quint32 i = m_edgeBegin[0]; i < m_edgeBegin[1]; ++i)
        m_rootNext[m_edges[i].c] = m_edges[i].child;

    std::sort(termPairs.begin(), termPairs.end());
    m_termBegin.assign(states + 1, 0);
    m_terms.reserve(termPairs.size());
    for (const auto &t : termPairs) {
        ++m_termBegin[size_t(t.first) + 1];
        m_terms.push_back(t.second);
    }
    std::partial_sum(m_termBegin.begin(), m_termBegin.end(), m_termBegin.begin());
}

qint32 SparseTrie::Child(qint32 s, char16_t c) const
{
    if (s == 0)
        return m_rootNext[c];
    const auto first = m_edges.begin() + m_edgeBegin[size_t(s)];
    const auto last = m_edges.begin() + m_edgeBegin[size_t(s) + 1];
    const auto it = std::lower_bound(first, last, c, [](const Edge &e, char16_t ch) { return e.c < ch; });
    return it != last && it->c == c ? it->child : 0;
}

qint32 SparseTrie::Step(qint32 s, char16_t c) const
{
    for (;;) {
        const qint32 t = Child(s, c);
        if (t || s == 0)
            return t;
        s = m_fail[size_t(s)];
    }
}

// Breadth first, so that every state's failure link is known before its
// children need it.
void SparseTrie::Link()
{
    const size_t states = m_depth.size();
    m_fail.assign(states, 0);
    m_out.assign(states, -1);
    std::vector<qint32> queue;
    queue.reserve(states);
    for (quint32 i = m_edgeBegin[0]; i < m_edgeBegin[1]; ++i)
        queue.push_back(m_edges[i].child);
    for (size_t head = 0; head < queue.size(); ++head) {
        const qint32 s = queue[head];
        const qint32 f = m_fail[size_t(s)];
        m_out[size_t(s)] = f != 0 && Output(f) == f ? f : m_out[size_t(f)];
        for (quint32 i = m_edgeBegin[size_t(s)]; i < m_edgeBegin[size_t(s) + 1]; ++i) {
            const Edge &e = m_edges[i];
            // s is never the root here, so this is a proper suffix's state.
            m_fail[size_t(e.child)] = Step(f, e.c);
            queue.push_back(e.child);
        }
    }
}

struct Match
{
    int start;
    int end;
    quint32 groups;
};

} // namespace

bool ScanSparse(const QString &folded, const std::vector<ScanPattern> &patterns, std::vector<SpanList> &covered,
                const ScanProgress &progress, int progressStep)
{
    const SparseTrie trie(patterns);
    std::vector<int> nextFree(patterns.size(), 0);
    std::vector<Match> matches;
    const QStringView text(folded);
    const int n = int(text.size());
    qint32 s = 0;
    for (int i = 0; i < n; ++i) {
        if (progress && i && (i % progressStep) == 0 && !progress(i, n))
            return false;
        s = trie.Step(s, text[i].unicode());
        for (qint32 o = trie.Output(s); o >= 0; o = trie.NextOutput(o)) {
            const int depth = trie.Depth(o);
            const int start = i + 1 - depth;
            for (const qint32 *p = trie.TermsBegin(o); p != trie.TermsEnd(o); ++p) {
                const ScanPattern &pat = patterns[size_t(*p)];
                const int end = start + int(pat.text.size());
                if (start < nextFree[size_t(*p)] || end > n)
                    continue;
                if (end > i + 1 && text.mid(i + 1, end - i - 1) != QStringView(pat.text).mid(depth))
                    continue;
                nextFree[size_t(*p)] = end;
                matches.push_back({start, end, pat.groups});
            }
        }
    }
    // Spans are merged in order of their ends.
    std::stable_sort(matches.begin(), matches.end(), [](const Match &a, const Match &b) { return a.end < b.end; });
    for (const Match &m : matches)
        AddToGroups(covered, m.groups, m.start, m.end);
    return true;
}

void AddSpan(SpanList &spans, int start, int end)
{
    while (!spans.empty() && start <= spans.back().end) {
        start = std::min(start, spans.back().start);
        spans.pop_back();
    }
    spans.push_back({start, end});
}

void AddToGroups(std::vector<SpanList> &covered, quint32 groups, int start, int end)
{
    for (size_t g = 0; groups; ++g, groups >>= 1) {
        if (groups & 1u)
            AddSpan(covered[g], start, end);
    }
}

} // namespace lumora
