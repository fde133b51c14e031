#include "document/case_fold.h"

#include <array>
#include <vector>

namespace lumora {

const char16_t *FoldTable()
{
    static const std::array<char16_t, 0x10000> table = [] {
        std::array<char16_t, 0x10000> t{};
        for (size_t u = 0; u < t.size(); ++u) {
            const QChar c = QChar(char16_t(u));
            t[u] = c.isSurrogate() ? char16_t(u) : c.toCaseFolded().unicode();
        }
        return t;
    }();
    return table.data();
}

namespace {

// For each folded unit, the other units that fold to it, grouped by it.
struct Unfold
{
    std::vector<quint32> begin;   // 0x10001 values
    std::vector<char16_t> units;
};

const Unfold &UnfoldTable()
{
    static const Unfold table = [] {
        const char16_t *fold = FoldTable();
        Unfold t;
        t.begin.assign(0x10001, 0);
        for (quint32 u = 0; u < 0x10000; ++u) {
            if (fold[u] != u)
                ++t.begin[size_t(fold[u]) + 1];
        }
        for (size_t f = 0; f < 0x10000; ++f)
            t.begin[f + 1] += t.begin[f];
        t.units.resize(t.begin.back());
        std::vector<quint32> at(t.begin.begin(), t.begin.end() - 1);
        for (quint32 u = 0; u < 0x10000; ++u) {
            if (fold[u] != u)
                t.units[at[fold[u]]++] = char16_t(u);
        }
        return t;
    }();
    return table;
}

} // namespace

void UnitsFoldingTo(char16_t folded, const char16_t **begin, const char16_t **end)
{
    const Unfold &t = UnfoldTable();
    *begin = t.units.data() + t.begin[folded];
    *end = t.units.data() + t.begin[size_t(folded) + 1];
}

// A high surrogate pairs with a low one right behind it; a low surrogate
// therefore belongs to a pair exactly when a high one stands right before it.
char16_t FoldedSurrogate(const QChar *text, qsizetype size, qsizetype i)
{
    const QChar c = text[i];
    if (c.isHighSurrogate() && i + 1 < size && text[i + 1].isLowSurrogate()) {
        const char32_t f = QChar::toCaseFolded(QChar::surrogateToUcs4(c, text[i + 1]));
        return QChar::requiresSurrogates(f) ? QChar::highSurrogate(f) : c.unicode();
    }
    if (c.isLowSurrogate() && i > 0 && text[i - 1].isHighSurrogate()) {
        const char32_t f = QChar::toCaseFolded(QChar::surrogateToUcs4(text[i - 1], c));
        return QChar::requiresSurrogates(f) ? QChar::lowSurrogate(f) : c.unicode();
    }
    return c.unicode();
}

QString FoldCase(QStringView s)
{
    const char16_t *table = FoldTable();
    QString out(s.size(), Qt::Uninitialized);
    QChar *d = out.data();
    for (qsizetype i = 0; i < s.size(); ++i)
        d[i] = QChar(FoldedUnit(s.data(), s.size(), i, table));
    return out;
}

// Knuth-Morris-Pratt over the folded text, each unit folded as it is met:
// every text unit is looked at a bounded number of times whatever the
// needle, so a long search over a run of one character (where a naive
// search compares nearly the whole needle at every position) stays linear.
qsizetype FoldedIndexOf(QStringView text, QStringView needle, qsizetype from)
{
    const qsizetype n = text.size(), m = needle.size();
    if (m == 0 || from < 0 || from > n - m)
        return -1;
    const char16_t *p = needle.utf16();
    // border[k]: the length of the longest proper prefix of p[0..k] that is
    // also its suffix, where a partial match of k + 1 units resumes after a miss.
    std::vector<qsizetype> border(size_t(m), 0);
    for (qsizetype k = 1, b = 0; k < m; ++k) {
        while (b > 0 && p[k] != p[b])
            b = border[size_t(b - 1)];
        if (p[k] == p[b])
            ++b;
        border[size_t(k)] = b;
    }
    const char16_t *table = FoldTable();
    const QChar *t = text.data();
    qsizetype k = 0;   // units of the needle matched right before i
    for (qsizetype i = from; i < n; ++i) {
        const char16_t c = FoldedUnit(t, n, i, table);
        while (k > 0 && p[k] != c)
            k = border[size_t(k - 1)];
        if (p[k] == c && ++k == m)
            return i + 1 - m;
    }
    return -1;
}

} // namespace lumora
