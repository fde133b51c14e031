#include "text_fold.h"

#include "case_fold.h"

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

qsizetype FoldedIndexOf(QStringView text, QStringView needle, qsizetype from)
{
    const qsizetype n = text.size(), m = needle.size();
    if (m == 0 || from < 0 || m > n)
        return -1;
    const char16_t *table = FoldTable();
    const QChar *t = text.data();
    const char16_t first = needle[0].unicode();
    for (qsizetype i = from; i + m <= n; ++i) {
        if (FoldedUnit(t, n, i, table) != first)
            continue;
        qsizetype k = 1;
        while (k < m && FoldedUnit(t, n, i + k, table) == needle[k].unicode())
            ++k;
        if (k == m)
            return i;
    }
    return -1;
}

} // namespace lumora
