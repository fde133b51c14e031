#include "highlight_core.h"

namespace lumora {

namespace {

// The first CR LF at or after from, or -1.
int LineEnd(const QString &t, int from)
{
    const int n = int(t.size());
    for (int i = int(t.indexOf(QLatin1Char('\r'), from)); i >= 0 && i + 1 < n;
         i = int(t.indexOf(QLatin1Char('\r'), i + 1))) {
        if (t.at(i + 1) == QLatin1Char('\n'))
            return i;
    }
    return -1;
}

} // namespace

SpanList BracketSpans(const QString &folded)
{
    SpanList spans;
    const int n = int(folded.size());
    // Openings only move forward, so the line end and the "]" found for one
    // still serve the next one as long as they lie at or after it.
    int lineEnd = -2, close = -2;
    for (int open = int(folded.indexOf(QLatin1Char('['))); open >= 0;) {
        if (lineEnd != -1 && lineEnd < open)
            lineEnd = LineEnd(folded, open);
        if (close != -1 && close < open)
            close = int(folded.indexOf(QLatin1Char(']'), open));
        const int limit = lineEnd < 0 ? n : lineEnd;
        int from = open + 1;
        if (close >= 0 && close < limit) {
            spans.push_back({open, close});
            from = close + 1;
        }
        open = int(folded.indexOf(QLatin1Char('['), from));
    }
    return spans;
}

SpanList CommentSpans(const QString &folded)
{
    SpanList spans;
    for (int semi = int(folded.indexOf(QLatin1Char(';'))); semi >= 0;) {
        const int lineEnd = LineEnd(folded, semi);
        if (lineEnd < 0) {
            spans.push_back({semi, int(folded.size())});
            break;
        }
        spans.push_back({semi, lineEnd});
        semi = int(folded.indexOf(QLatin1Char(';'), lineEnd + 1));
    }
    return spans;
}

bool ComputeHighlight(const QString &folded, const KeywordLists &lists, HighlightSpans *spans,
                      const ScanProgress &progress)
{
    for (SpanList &s : *spans)
        s.clear();
    std::vector<SpanList> keywords;
    if (!ScanKeywordGroups(folded, {lists.eax, lists.jmp, lists.mov, lists.finda}, &keywords, progress))
        return false;
    for (int rule = kRuleEax; rule <= kRuleFinda; ++rule)
        (*spans)[size_t(rule)] = std::move(keywords[size_t(rule)]);
    (*spans)[kRuleBracket] = BracketSpans(folded);
    (*spans)[kRuleComment] = CommentSpans(folded);
    return true;
}

} // namespace lumora
