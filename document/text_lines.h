#pragma once

#include <QString>
#include <QStringView>

namespace lumora {

// The length of the longest line of a text (CR LF, LF or CR end a line).
int LongestLine(QStringView text);

// Line breaks of any kind (CR LF, LF, CR) become LF, in one pass.
QString NormalizeLineBreaks(const QString &text);

} // namespace lumora
