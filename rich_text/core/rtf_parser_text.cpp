// The parser's text, format and table handling; the groups and
// control words are in rtf_parser.cpp.
#include "rtf_parser.h"

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
        if (m_bytes.isEmpty() && AllPrintable(data))
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
        if (!Top().chr.hidden)
            m_bytes.append(c);
    } else if (Top().dest == Dest::FontTable) {
        OnText(QByteArrayView(&c, 1));
    }
}

void RtfParser::Flush()
{
    if (m_bytes.isEmpty())
        return;
    m_scratch.resize(0);
    m_decoder.Decode(CodePageOfFont(Top().chr.font), m_bytes, &m_scratch);
    m_bytes.resize(0);
    m_out.Append(m_scratch, CurrentFormat());
}

void RtfParser::EmitChar(char16_t c)
{
    const Group &g = Top();
    if (g.dest == Dest::Body && !g.chr.hidden)
        m_out.Append(QChar(c), CurrentFormat());
}

// A character the file gave by number: controls too, so that what we
// write as \uN comes back.
void RtfParser::EmitUnicode(char16_t c)
{
    const Group &g = Top();
    if (g.dest == Dest::Body && !g.chr.hidden)
        m_out.AppendUnicode(c, CurrentFormat());
}

void RtfParser::EmitBreak()
{
    const Group &g = Top();
    if (g.dest == Dest::Body && !g.chr.hidden)
        m_out.ParagraphBreak(CurrentFormat(), g.align);
}

int RtfParser::CurrentFormat()
{
    Group &g = Top();
    if (g.format < 0)
        g.format = ResolveFormat(g.chr);
    return g.format;
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
    p.color = c.color < m_colors.size() ? m_colors[c.color] : -1;
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
        g.format = -1;
}

// The code page text in a font is written in: the font's charset, else its
// \cpg, else the default font's, else the document's, else GBK.
int RtfParser::CodePageOfFont(int number) const
{
    for (int n : {number < 0 ? m_deff : number, m_deff}) {
        auto it = m_fonts.constFind(n);
        if (it == m_fonts.constEnd())
            continue;
        if (const int cp = it->charset >= 0 ? CodePageOfCharset(it->charset) : 0)
            return cp;
        if (it->codePage > 0)
            return it->codePage;
    }
    return m_docCodePage > 0 ? m_docCodePage : 936;
}

int RtfParser::NameCodePage(const FontEntry &f) const
{
    if (const int cp = f.charset >= 0 ? CodePageOfCharset(f.charset) : 0)
        return cp;
    if (f.codePage > 0)
        return f.codePage;
    return m_docCodePage > 0 ? m_docCodePage : 936;
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
    FormatsChanged();
}

void RtfParser::ColorText(QByteArrayView data)
{
    for (char ch : data) {
        if (ch != ';')
            continue;
        if (m_colors.size() < kMaxColors) {
            const bool any = m_rgb[0] >= 0 || m_rgb[1] >= 0 || m_rgb[2] >= 0;
            m_colors.append(any ? qint64(std::max(m_rgb[0], 0)) | qint64(std::max(m_rgb[1], 0)) << 8
                                      | qint64(std::max(m_rgb[2], 0)) << 16
                                : -1);
            FormatsChanged();
        }
        m_rgb[0] = m_rgb[1] = m_rgb[2] = -1;
    }
}

} // namespace lumora
