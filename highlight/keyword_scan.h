#pragma once

#include <QString>
#include <QStringList>
#include <functional>
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

// Called now and then during a long scan with the characters done so far;
// returning false abandons the scan.
using ScanProgress = std::function<bool(qint64 done, qint64 total)>;

// For each group of entries, the characters that the group's entries cover
// in folded text when every entry is searched on its own from position 0,
// match after non-overlapping match (a match resumes right behind the
// previous one of the same entry), matching inside words.  Entries are
// folded here; the empty entry matches nothing.  One pass over the text
// serves all entries of all groups.  Returns false when progress abandoned it.
bool ScanKeywordGroups(const QString &folded, const std::vector<QStringList> &groups,
                       std::vector<SpanList> *covered, const ScanProgress &progress = {});

} // namespace lumora
