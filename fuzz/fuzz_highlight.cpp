// Keyword list splitting and the colouring computation, text and lists both
// fuzzed.  Input: four list files and the text, separated by NUL bytes.
// Each is GBK like a list file, or, when it starts with the byte FF, UTF-8
// in which the bytes FE and FD stand for a lone high and low surrogate:
// case folding beyond GBK (letters outside the BMP, surrogate pairs made of
// FE FD, lone surrogates) is fuzzed too.
// Besides never crashing, the fast computation on the text as it is must
// agree with the pass done the slow way, search by search on the folded
// text, on every input small enough for it.
#include "document/case_fold.h"
#include "fuzz/fuzz_support.h"
#include "highlight/core/highlight_core.h"

#include <vector>

namespace {

using lumora::Span;
using lumora::SpanList;

SpanList ToSpans(const std::vector<bool> &covered)
{
    SpanList out;
    for (int i = 0; i < int(covered.size()); ++i) {
        if (!covered[size_t(i)])
            continue;
        if (!out.empty() && out.back().end == i)
            out.back().end = i + 1;
        else
            out.push_back({i, i + 1});
    }
    return out;
}

QString DecodePart(const QByteArray &bytes)
{
    if (!bytes.startsWith('\xFF'))
        return lumora::DecodeAnsiText(bytes);
    QString out;
    QByteArray run;
    for (qsizetype i = 1; i < bytes.size(); ++i) {
        const char b = bytes[i];
        if (b != '\xFE' && b != '\xFD') {
            run += b;
            continue;
        }
        out += QString::fromUtf8(run) + QChar(char16_t(b == '\xFE' ? 0xD801 : 0xDC00));
        run.clear();
    }
    return out + QString::fromUtf8(run);
}

int Find(const QString &folded, const QString &what, int from, int end = -1)
{
    const int at = int(folded.indexOf(lumora::FoldCase(what), from));
    if (at < 0 || (end >= 0 && at + what.size() > end))
        return -1;
    return at;
}

SpanList SlowEntries(const QString &folded, const QStringList &entries)
{
    std::vector<bool> cov(size_t(folded.size()), false);
    for (const QString &e : entries) {
        if (e.isEmpty())
            continue;
        for (int pos = 0, m; (m = Find(folded, e, pos)) >= 0; pos = m + int(e.size()))
            for (int i = m; i < m + e.size(); ++i)
                cov[size_t(i)] = true;
    }
    return ToSpans(cov);
}

SpanList SlowBrackets(const QString &folded)
{
    std::vector<bool> cov(size_t(folded.size()), false);
    int pos = 0;
    for (int b; (b = Find(folded, QStringLiteral("["), pos)) >= 0;) {
        const int lineEnd = Find(folded, QStringLiteral("\r\n"), b);
        const int r = Find(folded, QStringLiteral("]"), b, lineEnd);
        if (r < 0) {
            pos = b + 1;
            continue;
        }
        for (int i = b; i < r; ++i)
            cov[size_t(i)] = true;
        pos = r + 1;
    }
    return ToSpans(cov);
}

SpanList SlowComments(const QString &folded)
{
    std::vector<bool> cov(size_t(folded.size()), false);
    int pos = 0;
    for (int s; (s = Find(folded, QStringLiteral(";"), pos)) >= 0;) {
        int lineEnd = Find(folded, QStringLiteral("\r\n"), s);
        const bool last = lineEnd < 0;
        if (last)
            lineEnd = int(folded.size());
        for (int i = s; i < lineEnd; ++i)
            cov[size_t(i)] = true;
        if (last)
            break;
        pos = lineEnd + 1;
    }
    return ToSpans(cov);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QList<QByteArray> parts = Bytes(data, size).split('\0');
    while (parts.size() < 5)
        parts.append(QByteArray());
    lumora::KeywordLists lists;
    QStringList *targets[] = {&lists.jmp, &lists.eax, &lists.mov, &lists.finda};
    for (int i = 0; i < 4; ++i) {
        const QString text = DecodePart(parts[i]);
        *targets[i] = lumora::SplitKeywordText(text);
        FUZZ_CHECK(targets[i]->join(QLatin1String("\r\n")) == text);
        FUZZ_CHECK(text.isEmpty() == targets[i]->isEmpty());
    }
    QByteArray rest;
    for (int i = 4; i < parts.size(); ++i)
        rest += (i > 4 ? QByteArray(1, '\n') : QByteArray()) + parts[i];
    QString text = DecodePart(rest);
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));   // the editor's line breaks
    const QString folded = lumora::FoldCase(text);

    lumora::HighlightSpans spans;
    FUZZ_CHECK(lumora::ComputeHighlight(text, lists, &spans));
    for (const SpanList &rule : spans) {
        for (size_t i = 0; i < rule.size(); ++i) {
            FUZZ_CHECK(rule[i].start >= 0 && rule[i].start < rule[i].end && rule[i].end <= folded.size());
            FUZZ_CHECK(i == 0 || rule[i - 1].end < rule[i].start);
        }
    }
    if (folded.size() <= 2048) {
        FUZZ_CHECK(spans[lumora::kRuleEax] == SlowEntries(folded, lists.eax));
        FUZZ_CHECK(spans[lumora::kRuleJmp] == SlowEntries(folded, lists.jmp));
        FUZZ_CHECK(spans[lumora::kRuleMov] == SlowEntries(folded, lists.mov));
        FUZZ_CHECK(spans[lumora::kRuleFinda] == SlowEntries(folded, lists.finda));
        FUZZ_CHECK(spans[lumora::kRuleBracket] == SlowBrackets(folded));
        FUZZ_CHECK(spans[lumora::kRuleComment] == SlowComments(folded));

        // The trie's child lists, which serve lists too large for the
        // table, must agree too, and so must the folded text.
        lumora::ScanClock clock;
        std::vector<SpanList> trie;
        FUZZ_CHECK(lumora::ScanKeywordGroups(text, {lists.eax, lists.jmp, lists.mov, lists.finda}, &trie, clock,
                                             lumora::ScanStepping::kTrieOnly));
        for (int g = 0; g < 4; ++g)
            FUZZ_CHECK(trie[size_t(g)] == spans[size_t(g)]);
        lumora::HighlightSpans again;
        FUZZ_CHECK(lumora::ComputeHighlight(folded, lists, &again));
        FUZZ_CHECK(again == spans);
    }
    return 0;
}
