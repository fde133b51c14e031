#include "document/rtf_parser.h"
#include "document/rtf_tokenizer.h"

#include <algorithm>
#include <cmath>

namespace lumora {

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
    constexpr qsizetype kYieldBytes = 4 * 1024 * 1024;
    qsizetype nextYield = kYieldBytes;
    for (;;) {
        t = m_tok.Next();
        if (t.type == RtfTokenType::End)
            break;
        if (m_progress && m_tok.Pos() >= nextYield) {
            nextYield = m_tok.Pos() + kYieldBytes;
            if (!m_progress(m_tok.Pos(), m_tok.Size()))
                return false;
        }
        if (m_skipUnits > 0 && ConsumeSkipped(t))
            continue;
        OnToken(t);
    }
    Flush();
    // Groups the input never closed end here.
    while (m_sharedDepth > 0)
        CloseSharedGroup();
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

void RtfParser::OnToken(const RtfToken &t)
{
    if (t.type != RtfTokenType::Word && !(t.type == RtfTokenType::Symbol && t.symbol == '*'))
        m_star = false;
    // \* marks an ignorable destination only as the first thing in its
    // group; StarWriter writes {\f0\i0\*\cs7 text}, whose text is shown.
    const bool groupStart = m_groupStart;
    m_groupStart = t.type == RtfTokenType::Open;
    if (t.type == RtfTokenType::Symbol && t.symbol == '*' && !groupStart)
        return;
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

// ---- groups ---------------------------------------------------------------

void RtfParser::OpenGroup()
{
    Flush();
    if (int(m_stack.size()) > kMaxDepth) {
        // Past the cap (mail saved as RTF nests thousands deep) the deepest
        // kept group stands for all deeper ones: memory stays bounded and
        // their text is still read.  Closing one of them returns to the
        // state the deepest kept group had.
        if (m_sharedDepth++ == 0)
            m_sharedBase = Top();
        StartedHere(Top());
        return;
    }
    Group g = Top();
    StartedHere(g);
    m_stack.push_back(g);
}

// A new group owns nothing its parent opened.
void RtfParser::StartedHere(Group &g)
{
    g.tableOwner = false;
    g.pictOwner = false;
    g.shppictPictures = -1;
    g.shapePictures = -1;
    g.dbFontHere = false;
}

void RtfParser::CloseSharedGroup()
{
    const Group g = Top();
    Top() = m_sharedBase;
    if (--m_sharedDepth > 0)
        StartedHere(Top());
    EndGroup(g);
}

void RtfParser::CloseGroup()
{
    Flush();
    if (m_sharedDepth > 0) {
        CloseSharedGroup();
        return;
    }
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
        m_colors.append(OleColor(std::max(m_rgb[0], 0)) | OleColor(std::max(m_rgb[1], 0)) << 8
                        | OleColor(std::max(m_rgb[2], 0)) << 16);
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
    if (OnOmittedPart(kw) || OnShapeWord(kw))
        return;
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
    case Dest::Omitted:
        // A logo in a header is as lost as its text.
        if (kw == RtfKw::Pict)
            m_omitted |= Top().omitPart;
        break;
    case Dest::Shape:
    case Dest::ShapeName:
        break;
    }
}

// Footnotes, headers, footers and comments are not shown; their groups are
// read past, noting the kinds that held anything (even empty ones are
// written by some programs, and are no loss).
bool RtfParser::OnOmittedPart(RtfKw kw)
{
    quint8 part = 0;
    switch (kw) {
    case RtfKw::Footnote: part = kOmittedFootnotes; break;
    case RtfKw::Header: part = kOmittedHeaders; break;
    case RtfKw::Footer: part = kOmittedFooters; break;
    case RtfKw::Annotation: part = kOmittedComments; break;
    default: return false;
    }
    m_star = false;
    Top().dest = Dest::Omitted;
    Top().omitPart = part;
    return true;
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
            m_out.EndRow(CurrentFormat(), g.align, m_rootClosed ? m_mark.textLength : 0);
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

} // namespace lumora
