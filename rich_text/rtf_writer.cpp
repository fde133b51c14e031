#include "rtf_writer.h"

#include "ole_color.h"
#include "rtf_charset.h"
#include "rtf_pictures.h"

#include <QBuffer>
#include <QHash>
#include <QPixmap>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextImageFormat>
#include <QUrl>

#include <cmath>

namespace lumora {

namespace {

// Pictures up to this many pixels also get an uncompressed bitmap copy for
// readers that do not know PNG; larger ones would bloat the file for little.
constexpr qint64 kMaxFallbackPixels = qint64(2) * 1024 * 1024;

const char kHex[] = "0123456789abcdef";

void AppendHexByte(QByteArray &out, uchar b)
{
    const char esc[4] = {'\\', '\'', kHex[b >> 4], kHex[b & 15]};
    out.append(esc, 4);
}

void AppendNumber(QByteArray &out, const char *word, qint64 n)
{
    out.append(word);
    out.append(QByteArray::number(n));
}

// \uN with N as a signed 16-bit number, then '?' for readers without Unicode.
void AppendUnicode(QByteArray &out, char16_t u)
{
    AppendNumber(out, "\\u", u > 0x7FFF ? int(u) - 0x10000 : int(u));
    out.append('?');
}

// Text outside the body (font names): GBK bytes escaped, nothing raw that a
// reader could take for syntax.
void AppendEscapedName(QByteArray &out, const QString &name)
{
    for (QChar qc : name) {
        const char16_t c = qc.unicode();
        if (c == '\\' || c == '{' || c == '}') {
            out.append('\\');
            out.append(char(c));
        } else if (c >= 0x20 && c < 0x80 && c != ';') {
            out.append(char(c));
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
    explicit Writer(const QTextDocument &doc) : m_doc(doc)
    {
        const QFont f = doc.defaultFont();
        m_defaultFamily = f.family();
        m_defaultHalfPoints = f.pointSizeF() > 0 ? int(std::lround(f.pointSizeF() * 2)) : 18;
        FontIndex(m_defaultFamily);   // \f0, the \deff font
    }

    QByteArray Write();

private:
    int FontIndex(const QString &family);
    int ColorIndex(OleColor c);
    RunFormat Resolve(const QTextCharFormat &f);
    void SetFormat(const RunFormat &f);
    void Word(const char *w) { m_body.append(w); m_delimit = true; }
    void Toggle(bool on, const char *onWord, const char *offWord) { Word(on ? onWord : offWord); }
    void WriteBlockStart(const QTextBlock &block);
    void WriteText(QStringView text);
    void WritePicture(const QTextImageFormat &f);
    void WriteHex(const QByteArray &data);
    QByteArray Header() const;

    const QTextDocument &m_doc;
    QString m_defaultFamily;
    int m_defaultHalfPoints = 18;
    QStringList m_fonts;
    QHash<QString, int> m_fontIndex;
    QVector<OleColor> m_colors;
    QHash<OleColor, int> m_colorIndex;
    QByteArray m_body;
    RunFormat m_cur;               // what \plain gives, until changed
    int m_align = 0;
    bool m_delimit = true;         // a control word waits for its delimiter; the header ends in \plain
    int m_lastFormatIndex = -1;
    RunFormat m_lastFormat;
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

int Writer::ColorIndex(OleColor c)
{
    auto it = m_colorIndex.constFind(c);
    if (it != m_colorIndex.constEnd())
        return it.value();
    m_colors.append(c);
    const int i = int(m_colors.size());   // entry 0 is "auto"
    m_colorIndex.insert(c, i);
    return i;
}

RunFormat Writer::Resolve(const QTextCharFormat &f)
{
    RunFormat r;
    QString family;
    const QVariant families = f.property(QTextFormat::FontFamilies);
    if (families.isValid() && !families.toStringList().isEmpty())
        family = families.toStringList().constFirst();
    else if (f.hasProperty(QTextFormat::FontFamily))
        family = f.stringProperty(QTextFormat::FontFamily);
    r.font = FontIndex(family.isEmpty() ? m_defaultFamily : family);
    const double pt = f.hasProperty(QTextFormat::FontPointSize) ? f.fontPointSize() : 0;
    r.halfPoints = pt > 0 ? std::clamp(int(std::lround(pt * 2)), 1, 3276) : m_defaultHalfPoints;
    if (f.hasProperty(QTextFormat::ForegroundBrush) && f.foreground().style() != Qt::NoBrush)
        r.color = ColorIndex(OleFromColor(f.foreground().color()));
    r.bold = f.fontWeight() >= QFont::DemiBold;
    r.italic = f.fontItalic();
    r.underline = f.fontUnderline();
    r.strike = f.fontStrikeOut();
    return r;
}

void Writer::SetFormat(const RunFormat &f)
{
    if (f.font != m_cur.font) {
        Word("\\f");
        m_body.append(QByteArray::number(f.font));
    }
    if (f.halfPoints != m_cur.halfPoints) {
        Word("\\fs");
        m_body.append(QByteArray::number(f.halfPoints));
    }
    if (f.color != m_cur.color) {
        Word("\\cf");
        m_body.append(QByteArray::number(f.color));
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

void Writer::WriteBlockStart(const QTextBlock &block)
{
    const Qt::Alignment a = block.blockFormat().alignment() & Qt::AlignHorizontal_Mask;
    int align = 0;
    if (a & (Qt::AlignHCenter))
        align = 1;
    else if (a & (Qt::AlignRight))
        align = 2;
    else if (a & Qt::AlignJustify)
        align = 3;
    if (align != m_align) {
        static const char *words[] = {"\\ql", "\\qc", "\\qr", "\\qj"};
        Word(words[align]);
        m_align = align;
    }
}

void Writer::WriteText(QStringView text)
{
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (c >= 0x20 && c < 0x80) {
            if (m_delimit) {
                m_body.append(' ');
                m_delimit = false;
            }
            if (c == '\\' || c == '{' || c == '}')
                m_body.append('\\');
            m_body.append(char(c));
            continue;
        }
        m_delimit = false;
        if (c == '\t') {
            Word("\\tab");
        } else if (c == QChar::LineSeparator || c == '\v' || c == '\n') {
            Word("\\line");
        } else if (c < 0x20) {
            AppendHexByte(m_body, uchar(c));
        } else if (c == QChar::ObjectReplacementCharacter || c == QChar::ParagraphSeparator) {
            // a picture without its format, or a break inside a block: nothing to write
        } else if (const quint16 g = GbkCodeOf(c)) {
            AppendHexByte(m_body, uchar(g >> 8));
            AppendHexByte(m_body, uchar(g & 0xFF));
        } else {
            // Surrogates go out one unit at a time, as \uN expects; a pair
            // may straddle two fragments, and the reader joins the units.
            AppendUnicode(m_body, c);
        }
    }
}

void Writer::WriteHex(const QByteArray &data)
{
    const qsizetype n = data.size();
    m_body.reserve(m_body.size() + n * 2 + n / 64 * 2 + 4);
    for (qsizetype i = 0; i < n; ++i) {
        if (i % 64 == 0)
            m_body.append("\r\n", 2);
        const uchar b = uchar(data[i]);
        m_body.append(kHex[b >> 4]);
        m_body.append(kHex[b & 15]);
    }
}

void Writer::WritePicture(const QTextImageFormat &f)
{
    const QVariant v = m_doc.resource(QTextDocument::ImageResource, QUrl(f.name()));
    QImage img = v.value<QImage>();
    if (img.isNull() && v.canConvert<QPixmap>())
        img = v.value<QPixmap>().toImage();
    if (img.isNull())
        return;
    const double w = f.width() > 0 ? f.width() : img.width();
    const double h = f.height() > 0 ? f.height() : img.height();
    const qint64 goalw = std::llround(w * 15), goalh = std::llround(h * 15);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    img.save(&buffer, "PNG");
    m_body.append("{\\*\\shppict{\\pict\\pngblip");
    AppendNumber(m_body, "\\picw", img.width());
    AppendNumber(m_body, "\\pich", img.height());
    AppendNumber(m_body, "\\picwgoal", goalw);
    AppendNumber(m_body, "\\pichgoal", goalh);
    WriteHex(png);
    m_body.append("}}");
    if (qint64(img.width()) * img.height() <= kMaxFallbackPixels) {
        const QByteArray wmf = MetafileWithDib(img);
        if (!wmf.isEmpty()) {
            m_body.append("{\\nonshppict{\\pict\\wmetafile8");
            AppendNumber(m_body, "\\picw", std::llround(w * 2540 / 96));
            AppendNumber(m_body, "\\pich", std::llround(h * 2540 / 96));
            AppendNumber(m_body, "\\picwgoal", goalw);
            AppendNumber(m_body, "\\pichgoal", goalh);
            WriteHex(wmf);
            m_body.append("}}");
        }
    }
    m_delimit = false;
}

QByteArray Writer::Header() const
{
    QByteArray h("{\\rtf1\\ansi\\ansicpg936\\deff0\\deflang2052{\\fonttbl");
    for (int i = 0; i < m_fonts.size(); ++i) {
        // Every font says GBK, because every byte of text in this file is GBK.
        h.append("{\\f" + QByteArray::number(i) + "\\fnil\\fcharset134 ");
        AppendEscapedName(h, m_fonts[i]);
        h.append(";}");
    }
    h.append("}\r\n{\\colortbl ;");
    for (OleColor c : m_colors) {
        h.append("\\red" + QByteArray::number(c & 0xFF) + "\\green" + QByteArray::number((c >> 8) & 0xFF)
                 + "\\blue" + QByteArray::number((c >> 16) & 0xFF) + ';');
    }
    h.append("}\r\n\\viewkind4\\uc1\\pard\\plain");
    return h;
}

QByteArray Writer::Write()
{
    m_body.reserve(m_doc.characterCount() + 1024);
    bool first = true;
    for (QTextBlock block = m_doc.begin(); block.isValid(); block = block.next()) {
        if (!first) {
            m_body.append("\\par\r\n");
            m_delimit = false;
        }
        first = false;
        WriteBlockStart(block);
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            const QTextCharFormat fmt = frag.charFormat();
            const QString text = frag.text();
            if (fmt.isImageFormat()) {
                for (qsizetype i = 0; i < text.size(); ++i)
                    if (text[i] == QChar::ObjectReplacementCharacter)
                        WritePicture(fmt.toImageFormat());
                continue;
            }
            if (frag.charFormatIndex() != m_lastFormatIndex) {
                m_lastFormatIndex = frag.charFormatIndex();
                m_lastFormat = Resolve(fmt);
            }
            SetFormat(m_lastFormat);
            WriteText(text);
        }
    }
    QByteArray out = Header();
    out.reserve(out.size() + m_body.size() + 4);
    out.append(m_body);
    out.append("\r\n}\r\n");
    return out;
}

} // namespace

QByteArray WriteRtf(const QTextDocument &doc)
{
    return Writer(doc).Write();
}

} // namespace lumora
