#pragma once

#include "highlight/core/keyword_scan.h"
#include "highlight/core/keyword_trie.h"

namespace lumora {

// Adds [start, end) to spans whose ends never exceed end (matches arrive in
// order of their end), merging with whatever it touches.
void AddSpan(SpanList &spans, int start, int end);

// Decides which occurrences are matches when every key is searched on its
// own from the start of the text, match after non-overlapping match, and
// adds them to the spans of the key's groups.  The scan reports, position
// by position, the longest key ending there; the others ending there are
// that key's Shorter() chain.  A key that matched sleeps until its match
// lies wholly behind, and only waking keys are looked at where a chain is
// long: entries like a, aa, aaa, ... on a text a...a then cost the matches
// they make, not the chain times the text.
class MatchTracker
{
public:
    MatchTracker(const KeywordTrie &trie, std::vector<SpanList> &covered);

    // key (or -1) is the longest key ending at end.
    void Report(qint32 key, int end)
    {
        if (key < 0)
            return;
        if (m_chain[size_t(key)] <= kShortChain)
            ReportShort(key, end);
        else
            ReportLong(key, end);
    }
    // Work units done since the last call, for the scan clock.
    qint64 TakeWork()
    {
        const qint64 w = m_work;
        m_work = 0;
        return w;
    }

private:
    // Chains up to this long are walked key by key.
    static constexpr qint32 kShortChain = 64;

    // Minimum of the wake-up ends over ranges of path positions.  It is
    // told of a key's sleep only when a look finds the key asleep, so it
    // may hold an earlier end than the key's own, never a later one: keys
    // that are awake whenever they occur (every piece of a period on the
    // period repeated) never cost an update, and every other match costs at
    // most one.
    class WakeTree
    {
    public:
        void Reset(qint32 size);
        void Set(qint32 at, qint64 wake);
        // Positions in [lo, hi] whose wake-up end is at most end.
        void Collect(qint32 lo, qint32 hi, qint64 end, std::vector<qint32> &out) const;

    private:
        void Collect(size_t node, qint32 nodeLo, qint32 nodeHi, qint32 lo, qint32 hi, qint64 end,
                     std::vector<qint32> &out) const;
        qint32 m_leaves = 0;
        std::vector<qint64> m_min;
    };

    void ReportShort(qint32 key, int end);
    void ReportLong(qint32 key, int end);
    void Take(qint32 key, int end);
    void BuildPaths();

    const KeywordTrie &m_trie;
    std::vector<SpanList> &m_covered;
    std::vector<qint64> m_wake;    // the first end at which a key may match again
    std::vector<qint32> m_chain;   // keys in a key's chain, itself included
    // The Shorter() links form a forest; cut into heavy paths, every chain
    // is a few stretches of consecutive positions.
    std::vector<qint32> m_head;
    std::vector<qint32> m_pos;
    std::vector<qint32> m_keyAt;
    WakeTree m_tree;
    std::vector<qint32> m_found;
    qint64 m_work = 0;
};

} // namespace lumora
