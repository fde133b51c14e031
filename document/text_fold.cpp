#include "document/text_fold.h"

#include "document/case_fold.h"

#include <vector>

namespace lumora {

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
