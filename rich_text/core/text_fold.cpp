#include "text_fold.h"

namespace lumora {

char16_t FoldedUnitAt(QStringView s, qsizetype i)
{
    const char16_t c = s[i].unicode();
    if (c < 0x80)
        return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
    const QChar q(c);
    if (!q.isSurrogate())
        return q.toCaseFolded().unicode();
    // A pair folds as one code point, and only into another pair: positions
    // never move.
    if (q.isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate()) {
        const char32_t f = QChar::toCaseFolded(QChar::surrogateToUcs4(q, s[i + 1]));
        return QChar::requiresSurrogates(f) ? QChar::highSurrogate(f) : c;
    }
    if (q.isLowSurrogate() && i > 0 && s[i - 1].isHighSurrogate()) {
        const char32_t f = QChar::toCaseFolded(QChar::surrogateToUcs4(s[i - 1], q));
        return QChar::requiresSurrogates(f) ? QChar::lowSurrogate(f) : c;
    }
    return c;
}

QString FoldCase(QStringView s)
{
    QString out(s.size(), Qt::Uninitialized);
    QChar *d = out.data();
    for (qsizetype i = 0; i < s.size(); ++i)
        d[i] = QChar(FoldedUnitAt(s, i));
    return out;
}

qsizetype FoldedIndexOf(QStringView text, QStringView needle, qsizetype from)
{
    const qsizetype n = text.size(), m = needle.size();
    if (m == 0 || from < 0 || m > n)
        return -1;
    const char16_t first = needle[0].unicode();
    for (qsizetype i = from; i + m <= n; ++i) {
        if (FoldedUnitAt(text, i) != first)
            continue;
        qsizetype k = 1;
        while (k < m && FoldedUnitAt(text, i + k) == needle[k].unicode())
            ++k;
        if (k == m)
            return i;
    }
    return -1;
}

} // namespace lumora
