#pragma once

#include "highlight/core/scan_clock.h"

#include <QStringList>
#include <vector>

namespace lumora {

// The case-folded entries of up to 32 groups in one trie, with the links of
// an Aho-Corasick automaton.  States are numbered breadth first, so a state's
// children are consecutive and sorted by character, and a state never links
// to one numbered after it.  Entries equal after folding share one end
// state and the union of their groups; a distinct entry is called a key.
// Memory grows with the characters of the entries, whatever their length.
class KeywordTrie
{
public:
    // Leaves out empty entries and entries longer than maxLength (they can
    // never match).  The clock's current stage counts the characters of the
    // entries kept.  False when the clock abandoned it.
    bool Build(const std::vector<QStringList> &groups, qint64 maxLength, ScanClock &clock);

    qint32 States() const { return qint32(m_label.size()); }
    // Children of s: states FirstChild(s) .. FirstChild(s + 1) - 1.
    qint32 FirstChild(qint32 s) const { return m_firstChild[size_t(s)]; }
    // The folded character on the edge into s.
    char16_t Label(qint32 s) const { return m_label[size_t(s)]; }
    qint32 Fail(qint32 s) const { return m_fail[size_t(s)]; }
    // The automaton's move from s on the folded character c.
    qint32 Step(qint32 s, char16_t c) const
    {
        for (;;) {
            const qint32 t = Child(s, c);
            if (t || !s)
                return t;
            s = m_fail[size_t(s)];
        }
    }
    // Makes moves from the root one lookup where the root has many
    // children; worth its 256 KB only when the scan steps through the trie
    // itself.
    void IndexRoot();
    // The longest key that the text read so far ends with, when the
    // automaton is in s; -1 when none.
    qint32 Emit(qint32 s) const { return m_emit[size_t(s)]; }

    // Keys are numbered by increasing length.
    qint32 Keys() const { return qint32(m_length.size()); }
    int Length(qint32 key) const { return m_length[size_t(key)]; }
    quint32 Groups(qint32 key) const { return m_groups[size_t(key)]; }
    // The longest key that is a proper suffix of key, or -1.
    qint32 Shorter(qint32 key) const { return m_shorter[size_t(key)]; }

private:
    struct Entry;
    struct Range;

    // The child of s on c, or 0 (the root is nobody's child).
    qint32 Child(qint32 s, char16_t c) const;
    bool BuildLevels(std::vector<Entry> &entries, ScanClock &clock);
    bool BuildTail(const Entry &e, int depth, qint64 done, ScanClock &clock);
    qint64 Expand(std::vector<Entry> &entries, const Range &r, int depth, std::vector<Range> &next);
    bool Link(ScanClock &clock, qint64 done);

    std::vector<char16_t> m_label;
    std::vector<qint32> m_firstChild;   // States() + 1 values
    std::vector<qint32> m_rootChild;    // the root's children by character, once indexed
    std::vector<qint32> m_fail;
    std::vector<qint32> m_emit;         // while building: the key ending in a state, or -1
    std::vector<int> m_length;
    std::vector<quint32> m_groups;
    std::vector<qint32> m_shorter;
};

} // namespace lumora
