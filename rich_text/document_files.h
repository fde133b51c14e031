#pragma once

#include "text_codec.h"   // kMaxDocumentFileBytes

#include <QByteArray>
#include <QString>

namespace lumora {

// Reads a whole file.  On failure returns false and sets *error to a Chinese
// sentence that names the file and the reason.
bool ReadFileBytes(const QString &path, QByteArray *out, QString *error);

// Writes a whole file atomically: the data goes to a temporary file beside
// it that replaces the old file only once everything is written, so a failed
// save leaves the old file whole.  On failure sets *error as above.
bool WriteFileAtomically(const QString &path, const QByteArray &data, QString *error);

// Writes the editor's plain text (CR LF line breaks) as a GBK text file,
// followed by one CR LF, atomically.
bool WriteTextFile(const QString &path, const QString &crlfText, QString *error);

} // namespace lumora
