#include "html_writer.h"

#include "utf8_out.h"

#include <QBuffer>
#include <cstring>
#include <vector>

namespace lumora {

namespace {

// Monospace first; the Chinese faces only lend the characters the Latin
// ones lack.  Single quotes, since the list also goes into style="...".
const char kPageFaces[] = "Consolas,'Courier New','DejaVu Sans Mono','Liberation Mono','宋体',SimSun,"
                          "'Noto Sans Mono CJK SC','WenQuanYi Micro Hei Mono','WenQuanYi Zen Hei Mono',monospace";

QString FamilyName(const QString &family)
{
    QString name = family.toHtmlEscaped();
    for (QChar &c : name)
        if (c == u'\'' || c == u'\\' || c.unicode() < 0x20)
            c = u' ';
    return name;
}

QString Style(const CharFormat &f, const QString &fallbackFaces)
{
    QString s;
    if (f.color >= 0) {
        const quint32 c = quint32(f.color);
        s += QStringLiteral("color:#%1%2%3;")
                 .arg(c & 0xFF, 2, 16, QLatin1Char('0'))
                 .arg((c >> 8) & 0xFF, 2, 16, QLatin1Char('0'))
                 .arg((c >> 16) & 0xFF, 2, 16, QLatin1Char('0'));
    }
    if (!f.family.isEmpty())
        s += QStringLiteral("font-family:'%1'%2;").arg(FamilyName(f.family), fallbackFaces);
    if (f.halfPoints > 0)
        s += QStringLiteral("font-size:%1pt;").arg(f.halfPoints / 2.0);
    if (f.bold)
        s += QStringLiteral("font-weight:bold;");
    if (f.italic)
        s += QStringLiteral("font-style:italic;");
    if (f.underline || f.strike) {
        s += QStringLiteral("text-decoration:%1%2;")
                 .arg(f.underline ? QStringLiteral("underline") : QString(),
                      f.strike ? QStringLiteral(" line-through") : QString());
    }
    return s;
}

QByteArray PictureTag(const Picture &p)
{
    const bool asRead = p.kind == Picture::Png || p.kind == Picture::Jpeg;
    if (p.image.isNull() && !asRead) {
        // A drawing no browser shows (a metafile): a box of its size, as in the editor.
        return "<span style=\"display:inline-block;border:1px solid gray;width:"
             + QByteArray::number(qRound(p.width)) + "px;height:" + QByteArray::number(qRound(p.height))
             + "px\"></span>";
    }
    // Browsers show PNG and JPEG; other kinds go as the picture we decoded.
    QByteArray data = asRead ? p.data : QByteArray();
    const char *mime = p.kind == Picture::Jpeg ? "image/jpeg" : "image/png";
    if (data.isEmpty()) {
        QBuffer buffer(&data);
        buffer.open(QIODevice::WriteOnly);
        p.image.save(&buffer, "PNG");
        mime = "image/png";
    }
    return "<img width=\"" + QByteArray::number(qRound(p.width)) + "\" height=\""
         + QByteArray::number(qRound(p.height)) + "\" src=\"data:" + mime + ";base64," + data.toBase64() + "\">";
}

constexpr PlainAscii kPlainAscii("<>&");

// Writes runs of a document as spans.  Neighbouring runs that look alike
// (they differ only in the picture they show) share one span.
class SpanWriter
{
public:
    SpanWriter(const Document &doc, ByteOut &out, QString fallbackFaces)
        : m_doc(doc), m_out(out), m_fallback(std::move(fallbackFaces)), m_tags(size_t(doc.formats.Count())),
          m_known(size_t(doc.formats.Count()), false)
    {
    }

    void Write(int from, int to)
    {
        if (IsLineBreak(m_doc.text[from]))
            m_out.Put('\n');
        const auto &runs = m_doc.runs.Runs();
        const QByteArray *open = nullptr;
        for (size_t i = m_doc.runs.RunAt(from); i < runs.size() && m_doc.runs.RunStart(i) < to; ++i) {
            const QByteArray &tag = OpenTag(runs[i].format);
            if (open != &tag && (!open || *open != tag)) {
                if (open && !open->isEmpty())
                    m_out.Put("</span>");
                m_out.Put(tag);
                open = &tag;
            }
            Text(std::max(m_doc.runs.RunStart(i), from), std::min(runs[i].end, to), runs[i].format);
        }
        if (open && !open->isEmpty())
            m_out.Put("</span>");
    }

private:
    const QByteArray &OpenTag(int format)
    {
        if (!m_known[size_t(format)]) {
            const QString style = Style(m_doc.formats.At(format), m_fallback);
            if (!style.isEmpty())
                m_tags[size_t(format)] = "<span style=\"" + style.toUtf8() + "\">";
            m_known[size_t(format)] = true;
        }
        return m_tags[size_t(format)];
    }

    // The characters [from, to) escaped; a CR LF is one line feed.
    void Text(qsizetype from, qsizetype to, int format)
    {
        const QChar *t = m_doc.text.constData();
        const qsizetype size = m_doc.text.size();
        m_out.Ensure(5 * (to - from));   // "&amp;" is the longest a character gets
        char *o = m_out.Cursor();
        for (qsizetype i = from; i < to; ++i) {
            const char16_t c = t[i].unicode();
            if (c < 0x80 && kPlainAscii.plain[c]) {
                *o++ = char(c);
                continue;
            }
            switch (c) {
            case u'<': std::memcpy(o, "&lt;", 4); o += 4; break;
            case u'>': std::memcpy(o, "&gt;", 4); o += 4; break;
            case u'&': std::memcpy(o, "&amp;", 5); o += 5; break;
            case u'\r':
                if (i + 1 < size && t[i + 1] == u'\n')
                    break;
                *o++ = '\n';
                break;
            case u'\n': case u'\v': case QChar::LineSeparator: case QChar::ParagraphSeparator:
                *o++ = '\n';
                break;
            case QChar::ObjectReplacementCharacter: {
                const int picture = m_doc.formats.At(format).picture;
                if (picture < 0 || picture >= m_doc.pictures.size())
                    break;
                m_out.SetCursor(o);
                m_out.Put(PictureTag(m_doc.pictures[picture]));
                m_out.Ensure(5 * (to - i));
                o = m_out.Cursor();
                break;
            }
            default:
                o = PutUtf8(o, t, i, size);
            }
        }
        m_out.SetCursor(o);
    }

    const Document &m_doc;
    ByteOut &m_out;
    const QString m_fallback;
    std::vector<QByteArray> m_tags;   // format id -> opening tag, empty for none
    std::vector<bool> m_known;
};

bool Clamp(const Document &doc, int &from, int &to)
{
    from = std::clamp(from, 0, int(doc.text.size()));
    to = std::clamp(to, from, int(doc.text.size()));
    return from < to && !doc.runs.IsEmpty();
}

} // namespace

QString HtmlBody(const Document &doc, int from, int to)
{
    if (!Clamp(doc, from, to))
        return QString();
    ByteOut out(2 * (to - from));
    SpanWriter(doc, out, QString()).Write(from, to);
    return QString::fromUtf8(out.Take());
}

QByteArray WriteHtmlPage(const Document &doc, const QString &title)
{
    // Enough for a coloured listing's text and tags at once.
    ByteOut out(doc.text.size() + qsizetype(doc.runs.Runs().size()) * 40 + 1024);
    out.Put("<!DOCTYPE html>\n<html lang=\"zh-CN\">\n<head>\n<meta charset=\"utf-8\">\n<title>");
    out.Put(title.toHtmlEscaped().toUtf8());
    out.Put("</title>\n<style>\nbody{margin:8px;background:#fff;color:#000}\npre{margin:0;font-family:");
    out.Put(kPageFaces);
    out.Put("}\n</style>\n</head>\n<body>\n<pre>");
    int from = 0, to = int(doc.text.size());
    if (Clamp(doc, from, to))
        SpanWriter(doc, out, QLatin1Char(',') + QString::fromUtf8(kPageFaces)).Write(from, to);
    out.Put("</pre>\n</body>\n</html>\n");
    return out.Take();
}

} // namespace lumora
