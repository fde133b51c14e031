#pragma once

#include "highlight/core/keyword_lists.h"
#include "highlight/core/keyword_scan.h"
#include "document/ole_color.h"

#include <array>

namespace lumora {

// The six colouring rules in the order a pass applies them: later rules
// overwrite earlier ones where they overlap.
enum HighlightRule { kRuleEax, kRuleJmp, kRuleMov, kRuleFinda, kRuleBracket, kRuleComment, kRuleCount };

inline constexpr std::array<OleColor, kRuleCount> kRuleColors = {
    0x000000FF,   // registers: red
    0x00FF0000,   // jumps and calls: blue
    0x0000C0C0,   // moves: dark yellow
    0x00800080,   // what crackers hunt for: purple
    0x00FF00FF,   // "[" up to the "]": magenta
    0x00FFC0C0,   // ";" to the line end: light blue
};

// What each rule colours, in rule order.
using HighlightSpans = std::array<SpanList, kRuleCount>;

// Everything one pass colours on a text, as it is or case-folded: the
// keyword rules fold each character as they read it.  Each rule's spans are
// computed on the whole text as it is, so applying them in rule order gives
// exactly the colours of searching and colouring match by match.  Progress
// is reported about every 100 ms; returns false when it abandoned the
// computation.
bool ComputeHighlight(const QString &text, const KeywordLists &lists, HighlightSpans *spans,
                      const Progress &progress = {});

// The same, paced by a clock the caller owns, whose total should be
// HighlightWork(text, lists).
bool ComputeHighlight(const QString &text, const KeywordLists &lists, HighlightSpans *spans, ScanClock &clock);
qint64 HighlightWork(const QString &text, const KeywordLists &lists);

// Whether the pass on a text cut after any paragraph break, piece by piece,
// gives exactly the spans of the pass on the whole: every rule stops at a
// line end, so it does unless a keyword holds a CR or an LF (which a list
// file with lone line feeds gives).
bool HighlightByParagraphs(const KeywordLists &lists);
// The work of the pass on a text of `length` characters in about `pieces`
// pieces, for a clock shared by the pieces.
qint64 HighlightWork(qint64 length, qint64 pieces, const KeywordLists &lists);

} // namespace lumora
