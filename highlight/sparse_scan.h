#pragma once

#include "keyword_scan.h"

namespace lumora {

// One distinct folded entry and the groups (bit g = group g) it stands in.
struct ScanPattern
{
    QString text;
    quint32 groups = 0;
};

// The same scan as the table-driven one, for pattern sets whose table
// would not fit in memory: a trie with sorted child lists, so memory grows
// with the characters of the patterns only.  Patterns longer than the trie's
// depth enter it with their first characters; the rest is compared where
// those match, so one very long entry costs no more than a short one.
// Adds [start, end) to spans whose ends never exceed end (matches arrive in
// order of their end), merging with whatever it touches.
void AddSpan(SpanList &spans, int start, int end);
// The same for every group whose bit is set.
void AddToGroups(std::vector<SpanList> &covered, quint32 groups, int start, int end);

bool ScanSparse(const QString &folded, const std::vector<ScanPattern> &patterns,
                std::vector<SpanList> &covered, const ScanProgress &progress, int progressStep);

} // namespace lumora
