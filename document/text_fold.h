#pragma once

#include <QString>
#include <QStringView>

namespace lumora {

// Case folding as searching ignores letter case: code point by code point
// (QChar::toCaseFolded), keeping every position where it was, so that a
// match in folded text is a match at the same place in the text.
QString FoldCase(QStringView s);

// The first position >= from where the folded needle matches the text,
// compared folded; -1 when there is none.  No folded copy of the text; time
// linear in the text's and the needle's length, whatever they hold.
qsizetype FoldedIndexOf(QStringView text, QStringView foldedNeedle, qsizetype from = 0);

} // namespace lumora
