#pragma once

#include "keyword_lists.h"
#include "keyword_scan.h"
#include "ole_color.h"

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

// From a "[" up to, not including, the first "]" after it on its line (a
// "[" on the last line pairs with the first "]" anywhere after it); the next
// "[" is looked for behind that "]", or right behind an unpaired "[".
SpanList BracketSpans(const QString &folded);

// From a ";" up to, not including, the CR LF ending its line (to the end of
// the text on the last line); later semicolons on that line are passed over.
SpanList CommentSpans(const QString &folded);

// Everything one pass colours on a text, given as its case-folded copy
// (TextMirror::Fold).  Each rule's spans are computed on the whole text as
// it is, so applying them in rule order gives exactly the colours of
// searching and colouring match by match.  Returns false when progress
// abandoned the computation.
bool ComputeHighlight(const QString &folded, const KeywordLists &lists, HighlightSpans *spans,
                      const ScanProgress &progress = {});

} // namespace lumora
