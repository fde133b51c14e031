#pragma once

#include <QStringView>

namespace lumora {

// The fonts whose codes draw pictures rather than the letters of a code
// page: writers put bullets, check marks and Greek letters in them.
enum class SymbolFont : quint8 { None, Symbol, Wingdings, Wingdings2 };

SymbolFont SymbolFontOfName(QStringView name);

// The Unicode character a symbol font draws for a code, given as the byte
// 0x20..0xFF or as the private-use U+F020..U+F0FF writers use for it; 0
// for codes not in our table (the common bullets, checks and symbols).
char16_t SymbolFontChar(SymbolFont font, char16_t code);

} // namespace lumora
