#pragma once

#include <QByteArray>
#include <QString>

class QTextDocument;

namespace lumora {

// True when the bytes are meant as RTF: they start with "{\rtf", after an
// optional UTF-8 byte-order mark and leading white space.
bool IsRtf(const QByteArray &data);

// Replaces doc's whole content with the RTF document (text, character
// formats, pictures).  On input that yields nothing readable returns false,
// leaves doc unchanged and sets *error (may be null) to a short Chinese
// reason.  Damaged but readable input gives a best-effort document.  Never
// crashes, hangs or allocates without bound.  The undo stack is left empty.
bool ReadRtf(const QByteArray &data, QTextDocument &doc, QString *error);

} // namespace lumora

#include "document.h"
namespace lumora {
// Replaces *out with the RTF document on success.
bool ReadRtf(const QByteArray &data, Document *out, QString *error);
} // namespace lumora
