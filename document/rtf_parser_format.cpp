// The parser's character formats: the control words that change them and
// the formats they resolve to, including the properties RTF associates
// with double-byte (East Asian) text.
#include "document/rtf_parser.h"

#include <algorithm>

namespace lumora {

namespace {

bool On(const RtfToken &t) { return !t.hasParam || t.param != 0; }

int HalfPoints(const RtfToken &t) { return t.param > 0 ? std::min(t.param, 3276) : 24; }

} // namespace

// Hangul, the CJK blocks (radicals to Yi), compatibility ideographs and
// forms, and the full-width forms: what writers put in double-byte runs.
bool RtfParser::IsDoubleByteChar(char16_t c)
{
    return (c >= 0x1100 && c <= 0x11FF) || (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xA960 && c <= 0xA97F)
           || (c >= 0xAC00 && c <= 0xD7FF) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F)
           || (c >= 0xFF00 && c <= 0xFFEF);
}

void RtfParser::OnFormatWord(RtfKw kw, const RtfToken &t)
{
    CharState &c = Top().chr;
    switch (kw) {
    case RtfKw::Plain:
        c = CharState{};
        Top().dbFontHere = false;
        break;
    case RtfKw::B: c.bold = On(t); break;
    case RtfKw::I: c.italic = On(t); break;
    case RtfKw::Ul: c.underline = On(t); break;
    case RtfKw::Ulnone: c.underline = false; break;
    case RtfKw::Strike: c.strike = On(t); break;
    case RtfKw::V: c.hidden = On(t); break;
    case RtfKw::F: c.font = std::max(0, t.param); break;
    case RtfKw::Fs: c.halfPoints = HalfPoints(t); break;
    case RtfKw::Cf: c.color = std::max(0, t.param); break;
    case RtfKw::Dbch: c.assocDbch = true; return;
    // Associated properties after \loch or \hich belong to single-byte
    // text, after \rtlch and \ltrch to right-to-left scripts: the regular
    // properties already give that text its look.
    case RtfKw::Loch:
    case RtfKw::Hich:
    case RtfKw::Rtlch:
    case RtfKw::Ltrch: c.assocDbch = false; return;
    default:
        if (!c.assocDbch || !OnDoubleByteWord(kw, t))
            return;
        break;
    }
    Top().format = -1;
    Top().dbFormat = -1;
    Top().symbol = -1;
}

// \af, \afs, \ab and \ai with \dbch in effect: the look of double-byte
// text (LibreOffice gives Chinese bold and size only this way).
bool RtfParser::OnDoubleByteWord(RtfKw kw, const RtfToken &t)
{
    CharState &c = Top().chr;
    switch (kw) {
    case RtfKw::Af:
        // Some LibreOffice versions follow the East Asian font with the
        // complex-script one, both after \dbch: within a group the first
        // is the one meant.
        if (Top().dbFontHere)
            return false;
        Top().dbFontHere = true;
        c.dbFont = std::max(0, t.param);
        return true;
    case RtfKw::Afs: c.dbHalfPoints = HalfPoints(t); return true;
    case RtfKw::Ab: c.dbBold = On(t) ? 1 : 0; return true;
    case RtfKw::Ai: c.dbItalic = On(t) ? 1 : 0; return true;
    default: return false;
    }
}

int RtfParser::CurrentFormat()
{
    Group &g = Top();
    if (g.format < 0)
        g.format = ResolveFormat(g.chr);
    return g.format;
}

// The format of one character of the text: double-byte characters take the
// associated properties where the file gives them.
int RtfParser::FormatOfChar(char16_t ch)
{
    Group &g = Top();
    const CharState &c = g.chr;
    if (!IsDoubleByteChar(ch) || (c.dbFont < 0 && c.dbHalfPoints <= 0 && c.dbBold < 0 && c.dbItalic < 0))
        return CurrentFormat();
    if (g.dbFormat < 0) {
        CharState db = c;
        if (c.dbFont >= 0)
            db.font = c.dbFont;
        if (c.dbHalfPoints > 0)
            db.halfPoints = c.dbHalfPoints;
        if (c.dbBold >= 0)
            db.bold = c.dbBold;
        if (c.dbItalic >= 0)
            db.italic = c.dbItalic;
        g.dbFormat = ResolveFormat(db);
    }
    return g.dbFormat;
}

// Appends decoded text, split where its characters change between single-
// and double-byte when the two look different.
void RtfParser::AppendText(QStringView text)
{
    if (FormatOfChar(0x4E00) == CurrentFormat()) {
        m_out.Append(text, CurrentFormat());
        return;
    }
    qsizetype start = 0;
    for (qsizetype i = 1; i <= text.size(); ++i) {
        if (i < text.size() && IsDoubleByteChar(text[i].unicode()) == IsDoubleByteChar(text[start].unicode()))
            continue;
        m_out.Append(text.sliced(start, i - start), FormatOfChar(text[start].unicode()));
        start = i;
    }
}

RtfParser::SymbolUse RtfParser::CurrentSymbolFont()
{
    Group &g = Top();
    if (g.symbol < 0) {
        g.symbol = 0;
        const auto it = m_fonts.constFind(g.chr.font < 0 ? m_deff : g.chr.font);
        if (it != m_fonts.constEnd() && it->symbol != SymbolFont::None) {
            // Bytes are symbol codes unless the font names a real charset,
            // as our own files do (GBK throughout).
            const bool bytes = it->charset < 0 || it->charset == 2;
            g.symbol = qint8(int(it->symbol) << 1 | int(bytes));
        }
    }
    return SymbolUse{SymbolFont(g.symbol >> 1), (g.symbol & 1) != 0};
}

int RtfParser::ResolveFormat(const CharState &c)
{
    // Colour numbers past the table all mean "auto", so they share a key.
    const quint64 key = quint64(quint32(c.font) + 1u) | quint64(std::min(c.color, kMaxColors)) << 32
                        | quint64(c.halfPoints & 0xFFF) << 45 | quint64(c.bold) << 57 | quint64(c.italic) << 58
                        | quint64(c.underline) << 59 | quint64(c.strike) << 60;
    if (const auto it = m_formatOfState.constFind(key); it != m_formatOfState.constEnd())
        return it.value();
    CharFormat p;
    auto it = m_fonts.constFind(c.font < 0 ? m_deff : c.font);
    if (it != m_fonts.constEnd() && it->name != kDefaultFamily)
        p.family = it->name;
    p.halfPoints = c.halfPoints == kDefaultHalfPoints ? 0 : c.halfPoints;
    p.color = c.color < m_colors.size() ? m_colors[c.color] : std::nullopt;
    p.bold = c.bold;
    p.italic = c.italic;
    p.underline = c.underline;
    p.strike = c.strike;
    const int id = m_out.FormatId(p);
    m_formatOfState.insert(key, id);
    return id;
}

// The font or colour table changed under the formats already resolved.
void RtfParser::FormatsChanged()
{
    m_formatOfState.clear();
    for (Group &g : m_stack)
        g.format = g.dbFormat = g.symbol = -1;
}

} // namespace lumora
