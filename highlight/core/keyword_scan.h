#pragma once

#include "highlight/core/scan_clock.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace lumora {

// A stretch [start, end) of text positions.
struct Span
{
    int start = 0;
    int end = 0;
    friend bool operator==(const Span &a, const Span &b) { return a.start == b.start && a.end == b.end; }
};

// Sorted, disjoint and non-touching spans: the characters one rule colours.
using SpanList = std::vector<Span>;

// For each group of entries (at most 32), the characters that the group's
// entries cover when every entry is searched on its own from position 0,
// match after non-overlapping match (a match resumes right behind the
// previous one of the same entry), ignoring case and matching inside words.
// The text need not be case-folded: text and entries are folded as they are
// read, the way the editor's find folds (folded text works too: folding it
// again changes nothing).  The empty entry matches nothing.  One pass over
// the text serves all entries of all groups; the work grows with the text,
// the characters of the entries and the matches, never with their product.
// Progress is reported about every 100 ms; returns false when it abandoned
// the scan.
bool ScanKeywordGroups(const QString &text, const std::vector<QStringList> &groups,
                       std::vector<SpanList> *covered, const Progress &progress = {});

// How the scan moves from character to character: through a table where
// the table fits in memory, or through the trie's own sorted child lists.
enum class ScanStepping { kTableWhereItFits, kTrieOnly };

// The characters of the entries that can match a text of textLength (the
// longer ones are left out): the share of the work that preparing them is.
qint64 KeywordChars(const std::vector<QStringList> &groups, qint64 textLength);

// The same, paced by a clock the caller owns; the scan is one stage of
// KeywordChars(groups, text.size()) + text.size() units.
bool ScanKeywordGroups(const QString &text, const std::vector<QStringList> &groups,
                       std::vector<SpanList> *covered, ScanClock &clock,
                       ScanStepping stepping = ScanStepping::kTableWhereItFits);

} // namespace lumora
