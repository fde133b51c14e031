#include "document/text_lines.h"

#include <algorithm>
#include <climits>

namespace lumora {

QString NormalizeLineBreaks(const QString &text)
{
    if (!text.contains(QLatin1Char('\r')))
        return text;
    QString out(text.size(), Qt::Uninitialized);
    QChar *d = out.data();
    const QChar *s = text.constData();
    const qsizetype n = text.size();
    qsizetype k = 0;
    for (qsizetype i = 0; i < n; ++i) {
        if (s[i] == u'\r') {
            d[k++] = QLatin1Char('\n');
            if (i + 1 < n && s[i + 1] == u'\n')
                ++i;
        } else {
            d[k++] = s[i];
        }
    }
    out.truncate(k);
    return out;
}

int LongestLine(QStringView text)
{
    qsizetype longest = 0, start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i <= n; ++i) {
        if (i == n || text[i] == u'\n' || text[i] == u'\r') {
            longest = std::max(longest, i - start);
            start = i + 1;
        }
    }
    return int(std::min<qsizetype>(longest, INT_MAX));
}

} // namespace lumora
