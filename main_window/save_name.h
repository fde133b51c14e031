#pragma once

#include <QString>

namespace lumora {

// Save As names the file by its chosen format: when the last three
// characters of the name, upper-cased, are not the extension ("TXT" or
// "RTF"), "." and the extension are appended.  No dot is needed before
// them: "notestxt" stays, "notes.rtf" saved as text becomes "notes.rtf.TXT".
QString WithExtension(const QString &path, const QString &upperExtension);

} // namespace lumora
