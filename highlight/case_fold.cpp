#include "case_fold.h"

#include <array>

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

} // namespace lumora
