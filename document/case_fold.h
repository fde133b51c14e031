#pragma once

#include <QString>
#include <QStringView>

namespace lumora {

// Case folding exactly as the editor's find does it: each UTF-16 unit on
// its own, a surrogate pair as one code point, written back
// only when the folded code point also needs a pair.  Folding never changes
// the length, so positions in the folded text are positions in the text.

// The folded form of each unit outside the surrogate range (surrogates map
// to themselves); built once.
const char16_t *FoldTable();

// The units other than folded itself that fold to it (outside surrogates):
// [*begin, *end).  Built once.
void UnitsFoldingTo(char16_t folded, const char16_t **begin, const char16_t **end);

// The slow part of FoldedUnit: text[i] is a surrogate.
char16_t FoldedSurrogate(const QChar *text, qsizetype size, qsizetype i);

inline bool IsSurrogateUnit(char16_t u) { return (u & 0xF800) == 0xD800; }

// text[i] as it reads in the folded text, without folding the rest.
inline char16_t FoldedUnit(const QChar *text, qsizetype size, qsizetype i, const char16_t *table)
{
    const char16_t u = text[i].unicode();
    return IsSurrogateUnit(u) ? FoldedSurrogate(text, size, i) : table[u];
}

// Case folding as searching ignores letter case: code point by code point
// (QChar::toCaseFolded), keeping every position where it was, so that a
// match in folded text is a match at the same place in the text.
QString FoldCase(QStringView s);

// The first position >= from where the folded needle matches the text,
// compared folded; -1 when there is none.  No folded copy of the text; time
// linear in the text's and the needle's length, whatever they hold.
qsizetype FoldedIndexOf(QStringView text, QStringView foldedNeedle, qsizetype from = 0);

} // namespace lumora
