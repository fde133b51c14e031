#include "document/symbol_fonts.h"

#include <QString>

namespace lumora {

namespace {

struct Glyph
{
    char16_t code;
    char16_t ch;
};

// Greek letters by the Latin letter in their place, 'A' to 'Z' then 'a' to 'z'.
constexpr char16_t kSymbolGreek[] = u"ΑΒΧΔΕΦΓΗΙϑΚΛΜΝΟΠΘΡΣΤΥςΩΞΨΖαβχδεφγηιϕκλμνοπθρστυϖωξψζ";

constexpr Glyph kSymbol[] = {
    {0x22, u'∀'}, {0x24, u'∃'}, {0x27, u'∋'}, {0x2A, u'∗'}, {0x2D, u'−'}, {0x40, u'≅'},
    {0x5C, u'∴'}, {0x5E, u'⊥'}, {0x7E, u'∼'}, {0xA2, u'′'}, {0xA3, u'≤'}, {0xA4, u'⁄'},
    {0xA5, u'∞'}, {0xA6, u'ƒ'}, {0xA7, u'♣'}, {0xA8, u'♦'}, {0xA9, u'♥'}, {0xAA, u'♠'},
    {0xAB, u'↔'}, {0xAC, u'←'}, {0xAD, u'↑'}, {0xAE, u'→'}, {0xAF, u'↓'}, {0xB0, u'°'},
    {0xB1, u'±'}, {0xB2, u'″'}, {0xB3, u'≥'}, {0xB4, u'×'}, {0xB5, u'∝'}, {0xB6, u'∂'},
    {0xB7, u'•'}, {0xB8, u'÷'}, {0xB9, u'≠'}, {0xBA, u'≡'}, {0xBB, u'≈'}, {0xBC, u'…'},
    {0xC0, u'ℵ'}, {0xC4, u'⊗'}, {0xC5, u'⊕'}, {0xC6, u'∅'}, {0xC7, u'∩'}, {0xC8, u'∪'},
    {0xC9, u'⊃'}, {0xCA, u'⊇'}, {0xCC, u'⊂'}, {0xCD, u'⊆'}, {0xCE, u'∈'}, {0xCF, u'∉'},
    {0xD0, u'∠'}, {0xD1, u'∇'}, {0xD5, u'∏'}, {0xD6, u'√'}, {0xD7, u'⋅'}, {0xD8, u'¬'},
    {0xD9, u'∧'}, {0xDA, u'∨'}, {0xDB, u'⇔'}, {0xDC, u'⇐'}, {0xDD, u'⇑'}, {0xDE, u'⇒'},
    {0xDF, u'⇓'}, {0xE0, u'◊'}, {0xE5, u'∑'}, {0xF2, u'∫'},
};

constexpr Glyph kWingdings[] = {
    {0x4A, u'☺'}, {0x4C, u'☹'}, {0x6C, u'●'}, {0x6D, u'❍'}, {0x6E, u'■'}, {0x6F, u'□'},
    {0x71, u'❑'}, {0x72, u'❒'}, {0x75, u'◆'}, {0x76, u'❖'}, {0x77, u'⬥'}, {0xA1, u'○'},
    {0xA7, u'▪'}, {0xA8, u'◻'}, {0xD8, u'➢'}, {0xFB, u'✗'}, {0xFC, u'✓'}, {0xFD, u'☒'},
    {0xFE, u'☑'},
};

constexpr Glyph kWingdings2[] = {
    {0x4F, u'✗'}, {0x50, u'✓'}, {0x52, u'☑'}, {0x54, u'☒'}, {0xA3, u'☐'},
};

template <size_t N>
char16_t Find(const Glyph (&table)[N], char16_t code)
{
    for (const Glyph &g : table)
        if (g.code == code)
            return g.ch;
    return 0;
}

} // namespace

SymbolFont SymbolFontOfName(QStringView name)
{
    const QString n = name.trimmed().toString().toLower();
    if (n == QLatin1String("symbol"))
        return SymbolFont::Symbol;
    if (n == QLatin1String("wingdings"))
        return SymbolFont::Wingdings;
    if (n == QLatin1String("wingdings 2"))
        return SymbolFont::Wingdings2;
    return SymbolFont::None;
}

char16_t SymbolFontChar(SymbolFont font, char16_t code)
{
    if (code >= 0xF020 && code <= 0xF0FF)
        code -= 0xF000;
    if (code < 0x20 || code > 0xFF)
        return 0;
    switch (font) {
    case SymbolFont::Symbol:
        if (code >= 'A' && code <= 'Z')
            return kSymbolGreek[code - 'A'];
        if (code >= 'a' && code <= 'z')
            return kSymbolGreek[26 + code - 'a'];
        return Find(kSymbol, code);
    case SymbolFont::Wingdings: return Find(kWingdings, code);
    case SymbolFont::Wingdings2: return Find(kWingdings2, code);
    case SymbolFont::None: break;
    }
    return 0;
}

} // namespace lumora
