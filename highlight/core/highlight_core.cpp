#include "highlight/core/highlight_core.h"

#include <algorithm>

namespace lumora {

namespace {

// Characters scanned between two looks at the clock.
constexpr qsizetype kChunk = 1 << 16;

// The first ch in [from, to), or to.
qsizetype Find(const QChar *t, qsizetype from, qsizetype to, char ch)
{
    const qsizetype at = QStringView(t + from, to - from).indexOf(QLatin1Char(ch));
    return at < 0 ? to : from + at;
}

// The first CR of a CR LF in [from, to) (its LF may lie behind), or to.
qsizetype FindLineEnd(const QChar *t, qsizetype n, qsizetype from, qsizetype to)
{
    for (qsizetype cr = Find(t, from, to, '\r'); cr < to; cr = Find(t, cr + 1, to, '\r')) {
        if (cr + 1 < n && t[cr + 1] == QLatin1Char('\n'))
            return cr;
    }
    return to;
}

// The bracket and comment rules look for "[", "]", ";", CR and LF only, and
// case folding maps no other character onto those, so the text need not be
// case-folded (folded text gives the same spans).

// From a "[" up to, not including, the first "]" after it on its line (a
// "[" on the last line pairs with the first "]" anywhere after it); the next
// "[" is looked for behind that "]", or right behind an unpaired "[".
//
// One left-to-right pass: a "[" opens, the next "]" closes; a line end
// before the "]" drops the "[" and every "[" after it on that line, since
// none of them has a "]" on its line either.  The "]" and the line end
// found last are kept while they lie ahead, so no character is read twice.
bool Brackets(const QString &text, SpanList *spans, ScanClock &clock)
{
    spans->clear();
    const QChar *t = text.constData();
    const qsizetype n = text.size();
    qsizetype open = -1;
    for (qsizetype from = 0; from < n;) {
        const qsizetype to = std::min(n, from + kChunk);
        for (qsizetype i = from, close = -1, lineEnd = -1; i < to;) {
            if (open < 0) {
                open = Find(t, i, to, '[');
                if (open == to) {
                    open = -1;
                    break;
                }
                i = open + 1;
                continue;
            }
            if (close < i)
                close = Find(t, i, to, ']');
            if (lineEnd < i)
                lineEnd = FindLineEnd(t, n, i, to);
            if (close < lineEnd)
                spans->push_back({int(open), int(close)});
            else if (lineEnd == to)
                break;   // neither in this slice: the "[" stays open
            i = std::min(close, lineEnd) + 1;
            open = -1;
        }
        if (!clock.Tick(to, (to - from) / 8))
            return false;
        from = to;
    }
    clock.EndStage(n);
    return true;
}

// From a ";" up to, not including, the CR LF ending its line (to the end of
// the text on the last line); later semicolons on that line are passed over.
//
// One left-to-right pass: a ";" opens a comment that the next CR LF ends.
bool Comments(const QString &text, SpanList *spans, ScanClock &clock)
{
    spans->clear();
    const QChar *t = text.constData();
    const qsizetype n = text.size();
    qsizetype semi = -1;
    for (qsizetype from = 0; from < n;) {
        const qsizetype to = std::min(n, from + kChunk);
        for (qsizetype i = from; i < to;) {
            if (semi < 0) {
                semi = Find(t, i, to, ';');
                if (semi == to) {
                    semi = -1;
                    break;
                }
                i = semi + 1;
                continue;
            }
            const qsizetype lineEnd = FindLineEnd(t, n, i, to);
            if (lineEnd == to)
                break;
            spans->push_back({int(semi), int(lineEnd)});
            semi = -1;
            i = lineEnd + 1;
        }
        if (!clock.Tick(to, (to - from) / 8))
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

qint64 HighlightWork(const QString &text, const KeywordLists &lists)
{
    return KeywordChars(KeywordGroups(lists), text.size()) + 3 * qint64(text.size());
}

bool HighlightByParagraphs(const KeywordLists &lists)
{
    for (const QStringList &group : KeywordGroups(lists)) {
        for (const QString &e : group) {
            if (e.contains(u'\r') || e.contains(u'\n'))
                return false;
        }
    }
    return true;
}

qint64 HighlightWork(qint64 length, qint64 pieces, const KeywordLists &lists)
{
    return pieces * KeywordChars(KeywordGroups(lists), length) + 3 * length;
}

bool ComputeHighlight(const QString &text, const KeywordLists &lists, HighlightSpans *spans,
                      const Progress &progress)
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
