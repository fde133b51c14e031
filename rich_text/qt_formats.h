#pragma once

#include "document/char_format.h"

#include <QTextCharFormat>

namespace lumora {

// A character format as Qt spells it, the face as asked for (what the
// editor reports for a position, and what its layout starts from).
QTextCharFormat ToQtFormat(const CharFormat &f);

} // namespace lumora
