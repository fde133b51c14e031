#include "highlight_core.h"

#include <algorithm>

namespace lumora {

namespace {

// Characters scanned between two looks at the clock.
constexpr qsizetype kChunk = 1 << 16;

bool IsLineEnd(const QChar *t, qsizetype n, qsizetype i)
{
    return t[i] == QLatin1Char('\r') && i + 1 < n && t[i + 1] == QLatin1Char('\n');
}

// One left-to-right pass: a "[" opens, the next "]" closes; a line end
// before the "]" drops the "[" and every "[" after it on that line, since
// none of them has a "]" on its line either.
bool Brackets(const QString &text, SpanList *spans, ScanClock &clock)
{
    spans->clear();
    const QChar *t = text.constData();
    const qsizetype n = text.size();
    qsizetype open = -1;
    for (qsizetype from = 0; from < n;) {
        const qsizetype to = std::min(n, from + kChunk);
        for (qsizetype i = from; i < to; ++i) {
            if (open < 0) {
                if (t[i] == QLatin1Char('['))
                    open = i;
            } else if (t[i] == QLatin1Char(']')) {
                spans->push_back({int(open), int(i)});
                open = -1;
            } else if (IsLineEnd(t, n, i)) {
                open = -1;
            }
        }
        if (!clock.Tick(to, to - from))
            return false;
        from = to;
    }
    clock.EndStage(n);
    return true;
}

// One left-to-right pass: a ";" opens a comment that the next CR LF ends.
bool Comments(const QString &text, SpanList *spans, ScanClock &clock)
{
    spans->clear();
    const QChar *t = text.constData();
    const qsizetype n = text.size();
    qsizetype semi = -1;
    for (qsizetype from = 0; from < n;) {
        const qsizetype to = std::min(n, from + kChunk);
        for (qsizetype i = from; i < to; ++i) {
            if (semi < 0) {
                if (t[i] == QLatin1Char(';'))
                    semi = i;
            } else if (IsLineEnd(t, n, i)) {
                spans->push_back({int(semi), int(i)});
                semi = -1;
            }
        }
        if (!clock.Tick(to, to - from))
            return false;
        from = to;
    }
    if (semi >= 0)
        spans->push_back({int(semi), int(n)});
    clock.EndStage(n);
    return true;
}

std::vector<QStringList> KeywordGroups(const KeywordLists &lists)
{
    return {lists.eax, lists.jmp, lists.mov, lists.finda};
}

} // namespace

SpanList BracketSpans(const QString &text)
{
    ScanClock clock;
    SpanList spans;
    Brackets(text, &spans, clock);
    return spans;
}

SpanList CommentSpans(const QString &text)
{
    ScanClock clock;
    SpanList spans;
    Comments(text, &spans, clock);
    return spans;
}

qint64 HighlightWork(const QString &text, const KeywordLists &lists)
{
    return KeywordChars(KeywordGroups(lists), text.size()) + 3 * qint64(text.size());
}

bool ComputeHighlight(const QString &text, const KeywordLists &lists, HighlightSpans *spans,
                      const ScanProgress &progress)
{
    ScanClock clock(progress, HighlightWork(text, lists));
    return ComputeHighlight(text, lists, spans, clock);
}

bool ComputeHighlight(const QString &text, const KeywordLists &lists, HighlightSpans *spans, ScanClock &clock)
{
    for (SpanList &s : *spans)
        s.clear();
    std::vector<SpanList> keywords;
    if (!ScanKeywordGroups(text, KeywordGroups(lists), &keywords, clock))
        return false;
    for (int rule = kRuleEax; rule <= kRuleFinda; ++rule)
        (*spans)[size_t(rule)] = std::move(keywords[size_t(rule)]);
    return Brackets(text, &(*spans)[kRuleBracket], clock) && Comments(text, &(*spans)[kRuleComment], clock);
}

} // namespace lumora
