#include "rtf_parser.h"
#include "rtf_tokenizer.h"

#include <QCryptographicHash>

#include <algorithm>
#include <cmath>

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

bool On(const RtfToken &t) { return !t.hasParam || t.param != 0; }

} // namespace

bool RtfParser::Parse(QString *error)
{
    m_tok.SkipLeadingSpace();
    RtfToken t = m_tok.Next();
    const bool header = t.type == RtfTokenType::Open;
    t = m_tok.Next();
    if (!header || t.type != RtfTokenType::Word || t.name != "rtf") {
        if (error)
            *error = QStringLiteral("不是 RTF 格式的文件");
        return false;
    }
    m_stack.push_back(Group{});
    m_mark = m_out.Position();
    for (;;) {
        t = m_tok.Next();
        if (t.type == RtfTokenType::End)
            break;
        if (m_skipUnits > 0 && ConsumeSkipped(t))
            continue;
        if (t.type != RtfTokenType::Word && !(t.type == RtfTokenType::Symbol && t.symbol == '*'))
            m_star = false;
        switch (t.type) {
        case RtfTokenType::Open: OpenGroup(); break;
        case RtfTokenType::Close: CloseGroup(); break;
        case RtfTokenType::Word: OnWord(t); break;
        case RtfTokenType::Symbol: OnSymbol(t.symbol); break;
        case RtfTokenType::Hex: OnByte(t.hex); break;
        case RtfTokenType::Text: OnText(t.data); break;
        case RtfTokenType::Bin:
            if (Top().dest == Dest::Picture && !m_picTooBig) {
                if (m_picData.size() + t.data.size() > kMaxRtfPictureBytes)
                    m_picTooBig = true;
                else
                    m_picData.append(t.data.data(), t.data.size());
            }
            break;
        case RtfTokenType::End: break;
        }
    }
    Flush();
    // Groups the input never closed end here.
    while (m_stack.size() > 1)
        PopGroup();
    if (!m_rootClosed)
        EndGroup(m_stack.back());
    else
        m_out.TruncateTo(m_mark);   // what follows the last '}' is not part of the document
    m_out.Finish(m_stack.back().align);
    if (m_out.IsEmpty() && !m_rootClosed) {
        if (error)
            *error = QStringLiteral("RTF 文件已损坏，没有可读的内容");
        return false;
    }
    return true;
}

// ---- groups ---------------------------------------------------------------

void RtfParser::OpenGroup()
{
    Flush();
    if (int(m_stack.size()) >= kMaxDepth || Top().dest == Dest::Picture) {
        // Too deep to be a real document, or a picture's own sub-group.
        if (m_tok.SkipGroup() && m_rootClosed && m_stack.size() == 1)
            m_mark = m_out.Position();
        return;
    }
    Group g = Top();
    g.tableOwner = false;
    g.pictOwner = false;
    g.shppictPictures = -1;
    m_stack.push_back(g);
}

void RtfParser::CloseGroup()
{
    Flush();
    if (m_stack.size() > 1) {
        PopGroup();
        if (m_rootClosed && m_stack.size() == 1)
            m_mark = m_out.Position();
        return;
    }
    // The document's own group ends; a further '}' is one too many and is
    // ignored.  Either way the document reaches at least this far.
    if (!m_rootClosed)
        EndGroup(m_stack.back());
    m_rootClosed = true;
    m_mark = m_out.Position();
}

void RtfParser::PopGroup()
{
    const Group g = m_stack.back();
    m_stack.pop_back();
    EndGroup(g);
}

void RtfParser::EndGroup(const Group &g)
{
    if (g.pictOwner)
        FinishPicture();
    if (g.shppictPictures >= 0 && m_out.PictureCount() > g.shppictPictures)
        m_shppictEnd = m_out.TextLength();
    if (g.dest == Dest::FontTable) {
        // An entry's group may end without its ';'.  Sub-groups such as
        // {\*\panose ...} that come before the name leave the entry open.
        FontEntry *f = CurrentFontEntry();
        if (f && !f->named && (!f->pending.isEmpty() || !f->name.isEmpty()))
            FinishFontName(*f);
        if (g.tableOwner)
            m_hasFontEntry = false;
    }
    if (g.dest == Dest::ColorTable && g.tableOwner && m_rgb[0] + m_rgb[1] + m_rgb[2] > -3
        && m_colors.size() < kMaxColors) {
        // A last entry without its ';'.
        m_colors.append(qint64(std::max(m_rgb[0], 0)) | qint64(std::max(m_rgb[1], 0)) << 8
                        | qint64(std::max(m_rgb[2], 0)) << 16);
        FormatsChanged();
    }
}

void RtfParser::SkipRestOfGroup()
{
    Flush();
    if (m_tok.SkipGroup())
        CloseGroup();
}

// After \uN the next N units are the fallback for readers without Unicode.
bool RtfParser::ConsumeSkipped(RtfToken &t)
{
    switch (t.type) {
    case RtfTokenType::Text: {
        const qsizetype n = std::min<qsizetype>(m_skipUnits, t.data.size());
        m_skipUnits -= int(n);
        if (n == t.data.size())
            return true;
        t.data = t.data.sliced(n);
        return false;
    }
    case RtfTokenType::Hex:
    case RtfTokenType::Bin:
        --m_skipUnits;
        return true;
    case RtfTokenType::Symbol:
        if (QByteArrayView("\\{}~-_").contains(t.symbol)) {
            --m_skipUnits;
            return true;
        }
        break;
    case RtfTokenType::Word:
        if (RtfKeywordChar(LookupRtfKeyword(t.name))) {
            --m_skipUnits;
            return true;
        }
        break;
    default:
        break;
    }
    // A brace or any other control word ends the fallback early.
    m_skipUnits = 0;
    return false;
}

// ---- control words --------------------------------------------------------

void RtfParser::OnWord(const RtfToken &t)
{
    Flush();
    const RtfKw kw = LookupRtfKeyword(t.name);
    if (m_star) {
        m_star = false;
        if (kw != RtfKw::Shppict) {
            SkipRestOfGroup();   // an optional destination we do not know
            return;
        }
    }
    if (kw == RtfKw::SkipDest) {
        SkipRestOfGroup();
        return;
    }
    if (kw == RtfKw::Uc) {
        Top().uc = std::clamp(t.hasParam ? t.param : 1, 0, 255);
        return;
    }
    switch (Top().dest) {
    case Dest::Body:
        if (!OnBodyWord(kw, t))
            OnFormatWord(kw, t);
        break;
    case Dest::FontTable:
    case Dest::ColorTable:
        OnTableWord(kw, t);
        break;
    case Dest::Picture:
        OnPictureWord(kw, t);
        break;
    }
}

// Destinations, document settings, breaks and characters.  False for words
// it does not handle.
bool RtfParser::OnBodyWord(RtfKw kw, const RtfToken &t)
{
    Group &g = Top();
    switch (kw) {
    case RtfKw::Ansicpg:
        if (t.param > 0)
            m_docCodePage = t.param;
        return true;
    case RtfKw::Mac: if (!m_docCodePage) m_docCodePage = 10000; return true;
    case RtfKw::Pc: if (!m_docCodePage) m_docCodePage = 437; return true;
    case RtfKw::Pca: if (!m_docCodePage) m_docCodePage = 850; return true;
    case RtfKw::Deff: m_deff = t.param; FormatsChanged(); return true;
    case RtfKw::U: OnUnicode(t); return true;
    case RtfKw::Fonttbl:
        g.dest = Dest::FontTable;
        g.tableOwner = true;
        m_hasFontEntry = false;
        return true;
    case RtfKw::Colortbl:
        g.dest = Dest::ColorTable;
        g.tableOwner = true;
        m_rgb[0] = m_rgb[1] = m_rgb[2] = -1;
        return true;
    case RtfKw::Pict: StartPicture(); return true;
    case RtfKw::Shppict: g.shppictPictures = m_out.PictureCount(); return true;
    case RtfKw::Nonshppict:
        // The fallback of a picture already shown from \shppict.
        if (m_shppictEnd == m_out.TextLength())
            SkipRestOfGroup();
        return true;
    case RtfKw::Par:
    case RtfKw::Sect: EmitBreak(); return true;
    case RtfKw::Line: EmitChar(QChar::LineSeparator); return true;
    case RtfKw::Cell: EmitChar(u'\t'); return true;
    case RtfKw::Row:
        if (!g.chr.hidden)
            m_out.EndRow(CurrentFormat(), g.align);
        return true;
    case RtfKw::Pard: g.align = Align::Left; return true;
    case RtfKw::Ql: g.align = Align::Left; return true;
    case RtfKw::Qc: g.align = Align::Center; return true;
    case RtfKw::Qr: g.align = Align::Right; return true;
    case RtfKw::Qj: g.align = Align::Justify; return true;
    default:
        if (const char16_t c = RtfKeywordChar(kw)) {
            EmitChar(c);
            return true;
        }
        return false;
    }
}

void RtfParser::OnFormatWord(RtfKw kw, const RtfToken &t)
{
    CharState &c = Top().chr;
    switch (kw) {
    case RtfKw::Plain: c = CharState{}; break;
    case RtfKw::B: c.bold = On(t); break;
    case RtfKw::I: c.italic = On(t); break;
    case RtfKw::Ul: c.underline = On(t); break;
    case RtfKw::Ulnone: c.underline = false; break;
    case RtfKw::Strike: c.strike = On(t); break;
    case RtfKw::V: c.hidden = On(t); break;
    case RtfKw::F: c.font = std::max(0, t.param); break;
    case RtfKw::Fs: c.halfPoints = t.param > 0 ? std::min(t.param, 3276) : 24; break;
    case RtfKw::Cf: c.color = std::max(0, t.param); break;
    default: return;
    }
    Top().format = -1;
}

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

void RtfParser::OnPictureWord(RtfKw kw, const RtfToken &t)
{
    const int p = t.param;
    switch (kw) {
    case RtfKw::Pngblip: m_pic.kind = RtfPictureInfo::Png; break;
    case RtfKw::Jpegblip: m_pic.kind = RtfPictureInfo::Jpeg; break;
    case RtfKw::Dibitmap: m_pic.kind = RtfPictureInfo::Dib; break;
    case RtfKw::Wbitmap: m_pic.kind = RtfPictureInfo::Wbitmap; break;
    case RtfKw::Wmetafile: m_pic.kind = RtfPictureInfo::Wmf; break;
    case RtfKw::OtherPict: m_pic.kind = RtfPictureInfo::Other; break;
    case RtfKw::Picw: m_pic.picw = p; break;
    case RtfKw::Pich: m_pic.pich = p; break;
    case RtfKw::Picwgoal: m_pic.goalw = p; break;
    case RtfKw::Pichgoal: m_pic.goalh = p; break;
    case RtfKw::Picscalex: m_pic.scalex = p; break;
    case RtfKw::Picscaley: m_pic.scaley = p; break;
    case RtfKw::Wbmbitspixel: m_pic.bitsPixel = p; break;
    case RtfKw::Wbmplanes: m_pic.planes = p; break;
    case RtfKw::Wbmwidthbytes: m_pic.widthBytes = p; break;
    default: break;
    }
}

void RtfParser::OnSymbol(char c)
{
    Flush();
    switch (c) {
    case '*': m_star = true; break;
    case '\\':
    case '{':
    case '}':
        if (Top().dest == Dest::Body)
            EmitChar(char16_t(c));
        else if (Top().dest == Dest::FontTable)
            OnText(QByteArrayView(&c, 1));
        break;
    case '~': EmitChar(0x00A0); break;
    case '-': EmitChar(0x00AD); break;
    case '_': EmitChar(0x2011); break;
    case '\n': EmitBreak(); break;   // a backslash before a line break is \par
    default: break;                  // \: \| and the like mark index entries and formulas
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
    } else {
        EmitUnicode(u);
    }
    m_skipUnits = Top().uc;
}

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
