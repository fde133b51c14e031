#include "highlight/core/keyword_trie.h"

#include "document/case_fold.h"

#include <algorithm>

namespace lumora {

// One entry still being sorted into the trie; unit is its folded character
// at the depth being built.
struct KeywordTrie::Entry
{
    const QChar *text;
    qint32 size;
    quint32 groups;
    char16_t unit;
};

// The entries [lo, hi) that share the path to one state.
struct KeywordTrie::Range
{
    qint32 lo;
    qint32 hi;
};

bool KeywordTrie::Build(const std::vector<QStringList> &groups, qint64 maxLength, ScanClock &clock)
{
    Q_ASSERT(groups.size() <= 32);
    std::vector<Entry> entries;
    qint64 chars = 0;
    size_t count = 0;
    for (const QStringList &group : groups)
        count += size_t(group.size());
    entries.reserve(count);
    for (size_t g = 0; g < groups.size(); ++g) {
        for (const QString &e : groups[g]) {
            if (!e.isEmpty() && e.size() <= maxLength) {
                entries.push_back({e.constData(), qint32(e.size()), quint32(1) << g, 0});
                chars += e.size();
            }
        }
    }
    // At most one state per character, plus the root: reserved once, the
    // arrays are never copied while they grow, and pages never written to
    // cost no memory.
    m_label.reserve(size_t(chars) + 1);
    m_emit.reserve(size_t(chars) + 1);
    m_firstChild.reserve(size_t(chars) + 2);
    m_label.assign(1, 0);
    m_emit.assign(1, -1);
    m_firstChild.clear();
    m_length.clear();
    m_groups.clear();
    m_rootChild.clear();
    if (!BuildLevels(entries, clock))
        return false;
    return Link(clock, chars);
}

// Level by level, each state's entries are split by their next character:
// a radix sort that numbers the states breadth first as it goes.
bool KeywordTrie::BuildLevels(std::vector<Entry> &entries, ScanClock &clock)
{
    std::vector<Range> level{{0, qint32(entries.size())}}, next;
    qint64 done = 0;
    for (int depth = 0; !level.empty(); ++depth) {
        if (level.size() == 1 && level[0].hi - level[0].lo == 1)
            return BuildTail(entries[size_t(level[0].lo)], depth, done, clock);
        next.clear();
        for (const Range &r : level) {
            done += Expand(entries, r, depth, next);
            if (!clock.Tick(done, 1 + r.hi - r.lo))
                return false;
        }
        level.swap(next);
    }
    m_firstChild.push_back(States());
    return true;
}

// One entry is left, the only one at this depth: the rest of it is a chain
// of single children, laid down without sorting (one very long entry).
bool KeywordTrie::BuildTail(const Entry &e, int depth, qint64 done, ScanClock &clock)
{
    const char16_t *table = FoldTable();
    for (int d = depth; d < e.size; ++d) {
        m_firstChild.push_back(States());
        m_label.push_back(FoldedUnit(e.text, e.size, d, table));
        m_emit.push_back(-1);
        if (!clock.Tick(++done))
            return false;
    }
    m_emit[m_firstChild.size()] = Keys();
    m_length.push_back(e.size);
    m_groups.push_back(e.groups);
    m_firstChild.push_back(States());   // the end, without children
    m_firstChild.push_back(States());
    return true;
}

// Expands the next state in number order: the entries of r end in it or
// go on to its children, which are appended to next.  Returns how many
// entries go on, one character each.
qint64 KeywordTrie::Expand(std::vector<Entry> &entries, const Range &r, int depth, std::vector<Range> &next)
{
    const qint32 s = qint32(m_firstChild.size());
    const auto first = entries.begin() + r.lo;
    const auto last = entries.begin() + r.hi;
    const auto mid = std::partition(first, last, [depth](const Entry &e) { return e.size == depth; });
    if (mid != first) {
        quint32 groups = 0;
        for (auto it = first; it != mid; ++it)
            groups |= it->groups;
        m_emit[size_t(s)] = Keys();
        m_length.push_back(depth);
        m_groups.push_back(groups);
    }
    const char16_t *table = FoldTable();
    for (auto it = mid; it != last; ++it)
        it->unit = FoldedUnit(it->text, it->size, depth, table);
    const auto byUnit = [](const Entry &a, const Entry &b) { return a.unit < b.unit; };
    if (!std::is_sorted(mid, last, byUnit))
        std::sort(mid, last, byUnit);
    m_firstChild.push_back(States());
    for (auto it = mid; it != last;) {
        const char16_t unit = it->unit;
        const auto runEnd = std::find_if(it, last, [unit](const Entry &e) { return e.unit != unit; });
        m_label.push_back(unit);
        m_emit.push_back(-1);
        next.push_back({qint32(it - entries.begin()), qint32(runEnd - entries.begin())});
        it = runEnd;
    }
    return last - mid;
}

void KeywordTrie::IndexRoot()
{
    if (FirstChild(1) - FirstChild(0) <= 16)
        return;   // a binary search among so few is as quick
    m_rootChild.assign(0x10000, 0);
    for (qint32 c = FirstChild(0); c < FirstChild(1); ++c)
        m_rootChild[m_label[size_t(c)]] = c;
}

qint32 KeywordTrie::Child(qint32 s, char16_t c) const
{
    if (!s && !m_rootChild.empty())
        return m_rootChild[c];
    const char16_t *labels = m_label.data();
    const char16_t *b = labels + m_firstChild[size_t(s)];
    const char16_t *e = labels + m_firstChild[size_t(s) + 1];
    const char16_t *it = e - b == 1 ? b : std::lower_bound(b, e, c);
    return it != e && *it == c ? qint32(it - labels) : 0;
}

// In number order, so that every link a state needs is known before it.
// Children are numbered in the order of their parents, so the links grow
// one state at a time: no large fill runs between two looks at the clock.
// m_emit, which holds each state's own key so far, becomes the longest key
// ending there in place: a link points to a state numbered before, which is
// complete by then.
bool KeywordTrie::Link(ScanClock &clock, qint64 done)
{
    const qint32 states = States();
    m_fail.reserve(size_t(states));
    m_fail.push_back(0);
    m_shorter.assign(size_t(Keys()), -1);
    for (qint32 s = 0; s < states; ++s) {
        for (qint32 c = FirstChild(s); c < FirstChild(s + 1); ++c) {
            const qint32 f = s ? Step(m_fail[size_t(s)], m_label[size_t(c)]) : 0;
            m_fail.push_back(f);
            const qint32 key = m_emit[size_t(c)];
            if (key >= 0)
                m_shorter[size_t(key)] = m_emit[size_t(f)];
            else
                m_emit[size_t(c)] = m_emit[size_t(f)];
        }
        if (!clock.Tick(done))
            return false;
    }
    return true;
}

} // namespace lumora
