// The parser's text, format, table and picture handling; the groups and
// control words are in rtf_parser.cpp.
#include "rtf_parser.h"

#include <QCryptographicHash>

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
            m_colors.append(any ? qint64(std::max(m_rgb[0], 0)) | qint64(std::max(m_rgb[1], 0)) << 8
                                      | qint64(std::max(m_rgb[2], 0)) << 16
                                : -1);
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

// ---- pictures -------------------------------------------------------------

void RtfParser::StartPicture()
{
    Group &g = Top();
    m_picFormat = CurrentFormat();
    g.dest = Dest::Picture;
    g.pictOwner = true;
    m_pic = RtfPictureInfo{};
    m_picData.clear();
    m_nibble = -1;
    m_picTooBig = false;
}

void RtfParser::PictureHex(QByteArrayView data)
{
    if (m_picTooBig)
        return;
    if (m_picData.size() + data.size() / 2 > kMaxRtfPictureBytes) {
        m_picTooBig = true;
        m_picData.clear();
        return;
    }
    for (char ch : data) {
        const int v = HexValue(ch);
        if (v < 0)
            continue;
        if (m_nibble < 0) {
            m_nibble = v;
        } else {
            m_picData.append(char(m_nibble << 4 | v));
            m_nibble = -1;
        }
    }
}

// Pictures with the same data are decoded once: a note that pastes one
// screenshot a hundred times holds one image.  The encoded PNG or JPEG
// data is kept, so that writing sends it out as it came.
void RtfParser::FinishPicture()
{
    QByteArray data;
    data.swap(m_picData);
    if (m_picTooBig || data.isEmpty() || m_out.PictureBytes() > kMaxTotalPictureBytes)
        return;
    // What decoding depends on: the kind, a raw bitmap's layout, the data.
    const int layout[] = {int(m_pic.kind), m_pic.picw, m_pic.pich, m_pic.bitsPixel, m_pic.planes,
                          m_pic.widthBytes};
    QByteArray key(reinterpret_cast<const char *>(layout),
                   m_pic.kind == RtfPictureInfo::Wbitmap ? sizeof layout : sizeof(int));
    key += QCryptographicHash::hash(data, QCryptographicHash::Sha256);
    Picture pic;
    if (const int known = m_out.PictureWithKey(key); known >= 0) {
        pic.image = m_out.PictureAt(known).image;
    } else {
        pic.image = DecodeRtfPicture(m_pic, data);
        if (pic.image.isNull())
            return;
        if (m_pic.kind == RtfPictureInfo::Png || m_pic.kind == RtfPictureInfo::Jpeg) {
            pic.data = data;
            pic.kind = m_pic.kind == RtfPictureInfo::Png ? Picture::Png : Picture::Jpeg;
        }
    }
    const QSizeF size = RtfPictureDisplaySize(m_pic, pic.image);
    pic.width = size.width();
    pic.height = size.height();
    m_out.AppendPicture(key, std::move(pic), m_picFormat);
}

} // namespace lumora
