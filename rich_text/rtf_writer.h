#pragma once

#include <QByteArray>

class QTextDocument;

namespace lumora {

// The whole document as RTF 1.x (never empty: an empty document is still a
// complete RTF document).  Chinese text is written as GBK \'hh pairs under
// \ansicpg936, anything GBK lacks as \uN?, pictures as PNG with a bitmap
// fallback for older readers.
QByteArray WriteRtf(const QTextDocument &doc);

} // namespace lumora

#include "document.h"
namespace lumora {
QByteArray WriteRtf(const Document &doc);
} // namespace lumora
