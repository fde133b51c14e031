// The parser's text, format and table handling; the groups and
// control words are in rtf_parser.cpp.
#include "document/rtf_parser.h"

#include <algorithm>

namespace lumora {

namespace {

bool AllAscii(QByteArrayView bytes)
{
    for (char c : bytes)
        if (uchar(c) >= 0x80)
            return false;
    return true;
}

// Printable ASCII and tabs: text that goes in as it is.
bool AllPrintable(QByteArrayView bytes)
{
    for (char c : bytes)
        if (uchar(c) - 0x20u >= 0x60u && c != '\t')
            return false;
    return true;
}

} // namespace

// ---- text -----------------------------------------------------------------

void RtfParser::OnText(QByteArrayView data)
{
    Group &g = Top();
    switch (g.dest) {
    case Dest::Body:
        if (g.chr.hidden)
            return;
        if (CurrentSymbolFont().bytes)
            AppendSymbolBytes(data);
        else if (m_bytes.isEmpty() && AllPrintable(data))
            m_out.AppendPrintable(data, CurrentFormat());
        else if (m_bytes.isEmpty() && AllAscii(data))
            m_out.AppendAscii(data, CurrentFormat());
        else
            m_bytes.append(data.data(), data.size());
        break;
    case Dest::FontTable:
        if (FontEntry *f = CurrentFontEntry(); f && !f->named) {
            for (char ch : data) {
                if (ch == ';') {
                    FinishFontName(*f);
                    break;
                }
                // Two bytes make at most one character in any code page.
                if (f->pending.size() < 2 * kMaxFontNameChars)
                    f->pending.append(ch);
            }
        }
        break;
    case Dest::ColorTable: ColorText(data); break;
    case Dest::Picture: PictureHex(data); break;
    case Dest::Omitted:
        if (!(m_omitted & g.omitPart) && !data.trimmed().isEmpty())
            m_omitted |= g.omitPart;
        break;
    case Dest::Shape: break;
    case Dest::ShapeName:
        // Property names are short words; a longer one is none we look for.
        if (m_shapeProperty.size() < 32)
            m_shapeProperty.append(data.data(), std::min<qsizetype>(data.size(), 32));
        break;
    }
}

void RtfParser::OnByte(uchar b)
{
    const char c = char(b);
    if (Top().dest == Dest::Body) {
        if (Top().chr.hidden)
            return;
        if (CurrentSymbolFont().bytes)
            AppendSymbolBytes(QByteArrayView(&c, 1));
        else
            m_bytes.append(c);
    } else if (Top().dest == Dest::FontTable || Top().dest == Dest::Omitted) {
        OnText(QByteArrayView(&c, 1));
    }
}

// Text in a symbol font: each byte is the code of what the font draws.
void RtfParser::AppendSymbolBytes(QByteArrayView data)
{
    Flush();
    const SymbolFont font = CurrentSymbolFont().font;
    m_scratch.resize(0);
    for (char b : data) {
        const char16_t c = SymbolFontChar(font, uchar(b));
        m_scratch.append(QChar(c ? c : char16_t(uchar(b))));
    }
    AppendText(m_scratch);
}

void RtfParser::Flush()
{
    if (m_bytes.isEmpty())
        return;
    m_scratch.resize(0);
    m_decoder.Decode(CodePageOfFont(Top().chr.font), m_bytes, &m_scratch);
    m_bytes.resize(0);
    AppendText(m_scratch);
}

void RtfParser::EmitChar(char16_t c)
{
    const Group &g = Top();
    if (g.dest == Dest::Body && !g.chr.hidden)
        m_out.Append(QChar(c), FormatOfChar(c));
}

// A character the file gave by number: controls too, so that what we
// write as \uN comes back.
void RtfParser::EmitUnicode(char16_t c)
{
    const Group &g = Top();
    if (g.dest != Dest::Body || g.chr.hidden)
        return;
    // Writers give a symbol font's codes as private-use U+F0xx.
    const SymbolUse symbol = CurrentSymbolFont();
    if (symbol.font != SymbolFont::None && (c >= 0xF020 || symbol.bytes))
        if (const char16_t drawn = SymbolFontChar(symbol.font, c))
            c = drawn;
    m_out.AppendUnicode(c, FormatOfChar(c));
}

void RtfParser::EmitBreak()
{
    const Group &g = Top();
    if (g.dest == Dest::Body && !g.chr.hidden)
        m_out.ParagraphBreak(CurrentFormat(), g.align);
}

// The code page text in a font is written in: the font's own, else the
// default font's, else the document's, else GBK.
int RtfParser::CodePageOfFont(int number) const
{
    for (int n : {number < 0 ? m_deff : number, m_deff}) {
        auto it = m_fonts.constFind(n);
        if (it == m_fonts.constEnd())
            continue;
        if (const int cp = OwnCodePage(*it))
            return cp;
    }
    return m_docCodePage > 0 ? m_docCodePage : 936;
}

int RtfParser::NameCodePage(const FontEntry &f) const
{
    if (const int cp = OwnCodePage(f))
        return cp;
    return m_docCodePage > 0 ? m_docCodePage : 936;
}

// A font's \cpg names its code page outright and wins over the one its
// \fcharset implies (writers pair \fcharset0 with the real \cpg); 0 when
// the font says neither.
int RtfParser::OwnCodePage(const FontEntry &f)
{
    if (f.codePage > 0 && CodePageKnown(f.codePage))
        return f.codePage;
    return f.charset >= 0 ? CodePageOfCharset(f.charset) : 0;
}

RtfParser::FontEntry *RtfParser::CurrentFontEntry()
{
    if (!m_hasFontEntry)
        return nullptr;
    auto it = m_fonts.find(m_fontEntry);
    return it == m_fonts.end() ? nullptr : &it.value();
}

void RtfParser::DecodePendingName(FontEntry &f)
{
    if (f.pending.isEmpty())
        return;
    m_decoder.Decode(NameCodePage(f), f.pending, &f.name);
    f.pending.clear();
    f.name.truncate(kMaxFontNameChars);
}

void RtfParser::FinishFontName(FontEntry &f)
{
    DecodePendingName(f);
    f.name = f.name.trimmed();
    f.named = true;
    f.symbol = SymbolFontOfName(f.name);
    FormatsChanged();
}

void RtfParser::ColorText(QByteArrayView data)
{
    for (char ch : data) {
        if (ch != ';')
            continue;
        if (m_colors.size() < kMaxColors) {
            const bool any = m_rgb[0] >= 0 || m_rgb[1] >= 0 || m_rgb[2] >= 0;
            m_colors.append(any ? std::optional<OleColor>(OleColor(std::max(m_rgb[0], 0))
                                                          | OleColor(std::max(m_rgb[1], 0)) << 8
                                                          | OleColor(std::max(m_rgb[2], 0)) << 16)
                                : std::nullopt);
            FormatsChanged();
        }
        m_rgb[0] = m_rgb[1] = m_rgb[2] = -1;
    }
}

// ---- font and colour tables, characters by number -------------------

void RtfParser::OnTableWord(RtfKw kw, const RtfToken &t)
{
    if (Top().dest == Dest::ColorTable) {
        const int v = std::clamp(t.param, 0, 255);
        if (kw == RtfKw::Red)
            m_rgb[0] = v;
        else if (kw == RtfKw::Green)
            m_rgb[1] = v;
        else if (kw == RtfKw::Blue)
            m_rgb[2] = v;
        return;
    }
    switch (kw) {
    case RtfKw::F:
        if (FontEntry *f = CurrentFontEntry(); f && !f->named)
            FinishFontName(*f);
        m_hasFontEntry = m_fonts.contains(t.param) || m_fonts.size() < kMaxFonts;
        m_fontEntry = t.param;
        if (m_hasFontEntry)
            m_fonts[t.param] = FontEntry{};
        FormatsChanged();
        break;
    case RtfKw::Fcharset:
        if (FontEntry *f = CurrentFontEntry())
            f->charset = t.param;
        break;
    case RtfKw::Cpg:
        if (FontEntry *f = CurrentFontEntry())
            f->codePage = std::max(0, t.param);
        break;
    case RtfKw::U:
        OnUnicode(t);
        break;
    default:
        break;
    }
}

void RtfParser::OnUnicode(const RtfToken &t)
{
    if (!t.hasParam || t.param < -32768 || t.param > 65535)
        return;   // not a character: let its fallback show
    const char16_t u = char16_t(t.param < 0 ? t.param + 65536 : t.param);
    if (Top().dest == Dest::FontTable) {
        if (FontEntry *f = CurrentFontEntry(); f && !f->named) {
            DecodePendingName(*f);
            if (f->name.size() < kMaxFontNameChars)
                f->name.append(QChar(u));
        }
    } else if (Top().dest == Dest::Omitted) {
        m_omitted |= Top().omitPart;
    } else {
        EmitUnicode(u);
    }
    m_skipUnits = Top().uc;
}

} // namespace lumora
