#include "document/rtf_writer.h"

#include "document/document.h"
#include "document/rtf_charset.h"
#include "document/rtf_picture_writer.h"
#include "document/text_store.h"
#include "document/utf8_out.h"

#include <QHash>

#include <cstring>
#include <vector>

namespace lumora {

namespace {

const char kHex[] = "0123456789abcdef";

void AppendHexByte(ByteOut &out, uchar b)
{
    const char esc[4] = {'\\', '\'', kHex[b >> 4], kHex[b & 15]};
    out.Put(esc, 4);
}

void AppendInt(ByteOut &out, qint64 n)
{
    char buf[24];
    char *end = buf + sizeof buf, *p = end;
    quint64 v = n < 0 ? 0 - quint64(n) : quint64(n);
    do {
        *--p = char('0' + v % 10);
        v /= 10;
    } while (v);
    if (n < 0)
        *--p = '-';
    out.Put(p, end - p);
}

void AppendNumber(ByteOut &out, const char *word, qint64 n)
{
    out.PutString(word);
    AppendInt(out, n);
}

// \uN with N as a signed 16-bit number, then '?' for readers without Unicode.
void AppendUnicode(ByteOut &out, char16_t u)
{
    AppendNumber(out, "\\u", u > 0x7FFF ? int(u) - 0x10000 : int(u));
    out.Put('?');
}

// Text outside the body (font names): GBK bytes escaped, nothing raw that a
// reader could take for syntax.
void AppendEscapedName(ByteOut &out, const QString &name)
{
    for (QChar qc : name) {
        const char16_t c = qc.unicode();
        if (c == '\\' || c == '{' || c == '}') {
            out.Put('\\');
            out.Put(char(c));
        } else if (c >= 0x20 && c < 0x80 && c != ';') {
            out.Put(char(c));
        } else if (c < 0x80) {
            AppendHexByte(out, uchar(c));
        } else if (const quint16 g = GbkCodeOf(c)) {
            AppendHexByte(out, uchar(g >> 8));
            AppendHexByte(out, uchar(g & 0xFF));
        } else {
            AppendUnicode(out, c);
        }
    }
}

// A format as RTF numbers: what the writer compares and writes.
struct RunFormat
{
    int font = 0;
    int halfPoints = 24;
    int color = 0;
    bool bold = false, italic = false, underline = false, strike = false;
};

class Writer
{
public:
    Writer(const FormatTable &formats, const QVector<Picture> &pictures, const QVector<QPair<int, Align>> &aligns)
        : m_formats(formats), m_pictures(pictures), m_aligns(aligns), m_resolved(size_t(formats.Count()))
    {
        FontIndex(kDefaultFamily);   // \f0, the \deff font
    }

    // Every format the text uses is resolved first: the font and colour
    // tables come before the text.  Then the text goes out in slices that
    // cut neither a CR LF nor a surrogate pair, each with its own runs.
    const RunFormat &Resolve(int id);
    void Start(qsizetype chars);
    void WriteText(QStringView text, const RunList &runs);
    QByteArray Finish();
    // Writing in pieces: the bytes written since the last Clear.
    ByteOut &Body() { return m_body; }

private:
    int FontIndex(const QString &family);
    int ColorIndex(OleColor color);
    void SetFormat(const RunFormat &f);
    void Word(const char *w) { m_body.PutString(w); m_delimit = true; }
    void Toggle(bool on, const char *onWord, const char *offWord) { Word(on ? onWord : offWord); }
    void WriteAlign(int paragraph);
    qsizetype WriteSpan(qsizetype from, qsizetype to, int format);
    void WriteChar(qsizetype i);
    void WriteHeader();

    const FormatTable &m_formats;
    const QVector<Picture> &m_pictures;
    const QVector<QPair<int, Align>> &m_aligns;
    QStringView m_text;            // the slice being written
    QStringList m_fonts;
    QHash<QString, int> m_fontIndex;
    QVector<OleColor> m_colors;
    QHash<OleColor, int> m_colorIndex;
    // Each format id resolved to RTF numbers once per document.
    std::vector<std::pair<bool, RunFormat>> m_resolved;
    RtfPictureWriter m_pictureWriter;
    ByteOut m_body;                // the whole file
    RunFormat m_cur;               // what \plain gives, until changed
    int m_align = 0;
    int m_paragraph = 0;
    int m_nextAlign = 0;           // index into the document's alignments
    bool m_delimit = true;         // a control word waits for its delimiter; the header ends in \plain
};

int Writer::FontIndex(const QString &family)
{
    auto it = m_fontIndex.constFind(family);
    if (it != m_fontIndex.constEnd())
        return it.value();
    const int i = int(m_fonts.size());
    m_fonts.append(family);
    m_fontIndex.insert(family, i);
    return i;
}

int Writer::ColorIndex(OleColor color)
{
    auto it = m_colorIndex.constFind(color);
    if (it != m_colorIndex.constEnd())
        return it.value();
    m_colors.append(color);
    const int i = int(m_colors.size());   // entry 0 is "auto"
    m_colorIndex.insert(color, i);
    return i;
}

const RunFormat &Writer::Resolve(int id)
{
    if (id < 0 || size_t(id) >= m_resolved.size())
        id = 0;
    auto &slot = m_resolved[size_t(id)];
    if (slot.first)
        return slot.second;
    const CharFormat &f = m_formats.At(id);
    RunFormat &r = slot.second;
    r.font = FontIndex(f.family.isEmpty() ? kDefaultFamily : f.family);
    r.halfPoints = f.halfPoints > 0 ? std::min(f.halfPoints, 3276) : kDefaultHalfPoints;
    r.color = f.color ? ColorIndex(*f.color & 0xFFFFFF) : 0;
    r.bold = f.bold;
    r.italic = f.italic;
    r.underline = f.underline;
    r.strike = f.strike;
    slot.first = true;
    return r;
}

void Writer::SetFormat(const RunFormat &f)
{
    if (f.font != m_cur.font) {
        Word("\\f");
        AppendInt(m_body, f.font);
    }
    if (f.halfPoints != m_cur.halfPoints) {
        Word("\\fs");
        AppendInt(m_body, f.halfPoints);
    }
    if (f.color != m_cur.color) {
        Word("\\cf");
        AppendInt(m_body, f.color);
    }
    if (f.bold != m_cur.bold)
        Toggle(f.bold, "\\b", "\\b0");
    if (f.italic != m_cur.italic)
        Toggle(f.italic, "\\i", "\\i0");
    if (f.underline != m_cur.underline)
        Toggle(f.underline, "\\ul", "\\ulnone");
    if (f.strike != m_cur.strike)
        Toggle(f.strike, "\\strike", "\\strike0");
    m_cur = f;
}

void Writer::WriteAlign(int paragraph)
{
    int align = 0;
    const auto &aligns = m_aligns;
    while (m_nextAlign < aligns.size() && aligns[m_nextAlign].first < paragraph)
        ++m_nextAlign;
    if (m_nextAlign < aligns.size() && aligns[m_nextAlign].first == paragraph)
        align = int(aligns[m_nextAlign].second);
    if (align != m_align) {
        static const char *const words[] = {"\\ql", "\\qc", "\\qr", "\\qj"};
        Word(words[std::clamp(align, 0, 3)]);
        m_align = align;
    }
}

// Writes the characters [from, to) in one format; returns where it stopped,
// which is past to when a CR LF straddles the end.
qsizetype Writer::WriteSpan(qsizetype from, qsizetype to, int format)
{
    const qsizetype n = m_text.size();
    const int picture = m_formats.At(format < m_formats.Count() ? format : 0).picture;
    const QChar *s = m_text.data();
    qsizetype i = from;
    while (i < to) {
        const char16_t c = s[i].unicode();
        if (c >= 0x20 && c < 0x80) {
            if (m_delimit) {
                m_body.Put(' ');
                m_delimit = false;
            }
            if (c == '\\' || c == '{' || c == '}')
                m_body.Put('\\');
            m_body.Put(char(c));
            ++i;
        } else if (c == '\r' || c == '\n') {
            // CR LF is one break; a lone CR or LF counts as one too.
            i += (c == '\r' && i + 1 < n && s[i + 1] == QLatin1Char('\n')) ? 2 : 1;
            m_body.Put("\\par\r\n");
            m_delimit = false;
            WriteAlign(++m_paragraph);
        } else if (c == QChar::ObjectReplacementCharacter && picture >= 0 && picture < m_pictures.size()) {
            if (m_pictureWriter.Write(m_pictures[picture], m_body))
                m_delimit = false;
            ++i;
        } else {
            WriteChar(i);
            ++i;
        }
    }
    return i;
}

// One character outside printable ASCII and the breaks.
void Writer::WriteChar(qsizetype i)
{
    const QStringView text = m_text;
    const char16_t c = text[i].unicode();
    m_delimit = false;
    if (c == '\t') {
        Word("\\tab");
    } else if (c == QChar::LineSeparator) {
        Word("\\line");
    } else if (QChar::isSurrogate(c)) {
        // Pairs go out one unit at a time, as \uN expects; the reader joins
        // them again.  A unit without its partner is no character.
        const bool paired = QChar::isHighSurrogate(c)
                                ? i + 1 < text.size() && text[i + 1].isLowSurrogate()
                                : i > 0 && text[i - 1].isHighSurrogate();
        AppendUnicode(m_body, paired ? c : char16_t(QChar::ReplacementCharacter));
    } else if (c >= 0x80 && c != QChar::ObjectReplacementCharacter) {
        if (const quint16 g = GbkCodeOf(c)) {
            AppendHexByte(m_body, uchar(g >> 8));
            AppendHexByte(m_body, uchar(g & 0xFF));
        } else {
            AppendUnicode(m_body, c);
        }
    } else {
        AppendUnicode(m_body, c);   // C0 controls, and U+FFFC without a picture
    }
}

void Writer::WriteHeader()
{
    ByteOut &h = m_body;
    h.Put("{\\rtf1\\ansi\\ansicpg936\\deff0\\deflang2052{\\fonttbl");
    for (int i = 0; i < m_fonts.size(); ++i) {
        // Every font says GBK, because every byte of text in this file is GBK.
        AppendNumber(h, "{\\f", i);
        h.Put("\\fnil\\fcharset134 ");
        AppendEscapedName(h, m_fonts[i]);
        h.Put(";}");
    }
    h.Put("}\r\n{\\colortbl ;");
    for (OleColor c : m_colors) {
        AppendNumber(h, "\\red", c & 0xFF);
        AppendNumber(h, "\\green", (c >> 8) & 0xFF);
        AppendNumber(h, "\\blue", (c >> 16) & 0xFF);
        h.Put(';');
    }
    h.Put("}\r\n\\viewkind4\\uc1\\pard\\plain");
}

void Writer::Start(qsizetype chars)
{
    Resolve(0);
    m_body.Ensure(chars + chars / 4 + 1024);
    WriteHeader();
    WriteAlign(0);
}

void Writer::WriteText(QStringView text, const RunList &runs)
{
    m_text = text;
    const qsizetype n = text.size();
    qsizetype i = 0;
    int start = 0;
    for (const FormatRun &r : runs.Runs()) {
        const qsizetype end = std::min<qsizetype>(r.end, n);
        if (end > i) {
            SetFormat(Resolve(r.format));
            i = WriteSpan(std::max<qsizetype>(i, start), end, r.format);
        }
        start = r.end;
    }
    if (i < n) {   // text the runs do not cover
        SetFormat(Resolve(0));
        WriteSpan(i, n, 0);
    }
}

QByteArray Writer::Finish()
{
    m_body.Put("\r\n}\r\n");
    return m_body.Take();
}

} // namespace

QByteArray WriteRtf(const Document &doc)
{
    Writer w(doc.formats, doc.pictures, doc.aligns);
    for (const FormatRun &r : doc.runs.Runs())
        w.Resolve(r.format);
    w.Start(doc.text.size());
    w.WriteText(doc.text, doc.runs);
    return w.Finish();
}

bool WriteRtf(const TextStore &text, const QVector<Picture> &pictures, const QVector<QPair<int, Align>> &aligns,
              const std::function<bool(QByteArrayView)> &put)
{
    Writer w(text.Formats(), pictures, aligns);
    const int n = text.Length();
    text.ForEachRun(0, n, [&w](int, int, int format) { w.Resolve(format); });
    constexpr int kSlice = 64 * 1024;
    constexpr qsizetype kPiece = 1 << 20;
    w.Start(std::min(n, 2 * kSlice));
    for (int from = 0; from < n;) {
        int to = text.SnapUp(std::min(n, from + kSlice));
        while (to < n && text.At(to - 1).isHighSurrogate())
            ++to;
        w.WriteText(text.Text(from, to - from), text.Runs(from, to));
        from = to;
        if (w.Body().Pending().size() >= kPiece) {
            if (!put(w.Body().Pending()))
                return false;
            w.Body().Clear();
        }
    }
    return put(w.Finish());
}

QByteArray WriteRtf(const TextStore &text, const QVector<Picture> &pictures, const QVector<QPair<int, Align>> &aligns)
{
    QByteArray all;
    WriteRtf(text, pictures, aligns, [&all](QByteArrayView piece) {
        all.append(piece);
        return true;
    });
    return all;
}

} // namespace lumora
