#pragma once

#include <QColor>
#include <QtGlobal>
#include <optional>

namespace lumora {

// Colours travel through the program as 0x00BBGGRR values (red in the low
// byte), the layout the menu commands and the highlighting rules are written in.
// A colour that may be absent ("automatic": text that names no colour of
// its own) is a std::optional<OleColor>.
using OleColor = quint32;

inline QColor ColorFromOle(OleColor c)
{
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

inline OleColor OleFromColor(const QColor &c)
{
    return OleColor(c.red()) | (OleColor(c.green()) << 8) | (OleColor(c.blue()) << 16);
}

} // namespace lumora
