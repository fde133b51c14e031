#include "document/html_writer.h"

#include "document/utf8_out.h"

#include <QBuffer>
#include <QHash>
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

// Which parts of a format its declarations state.  A page states the face
// and size every run shares once, on its <pre>, and takes black for the
// default colour it is.
struct StyleParts
{
    bool colour = true;
    bool family = true;
    bool size = true;
    bool blackIsDefault = false;
};

QString Declarations(const CharFormat &f, const QString &fallbackFaces, StyleParts parts = {})
{
    QString s;
    if (parts.colour && f.color && !(parts.blackIsDefault && *f.color == 0)) {
        const quint32 c = *f.color;
        s += QStringLiteral("color:#%1%2%3;")
                 .arg(c & 0xFF, 2, 16, QLatin1Char('0'))
                 .arg((c >> 8) & 0xFF, 2, 16, QLatin1Char('0'))
                 .arg((c >> 16) & 0xFF, 2, 16, QLatin1Char('0'));
    }
    if (parts.family && !f.family.isEmpty())
        s += QStringLiteral("font-family:'%1'%2;").arg(FamilyName(f.family), fallbackFaces);
    if (parts.size && f.halfPoints > 0)
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

// How each format's runs open: the opening tag (empty for none), and a shape
// number, the same for formats that look alike apart from colour.  A run of
// blanks (spaces, tabs, line breaks) shows no colour, so it may stay in the
// span before it when that span's shape is its own; -1 where a blank shows
// its format (underline, strike) or where every run keeps its own span.
struct SpanTags
{
    std::vector<QByteArray> open;
    std::vector<int> shape;
};

constexpr int kPlainShape = 0;   // the shape of text that opens no span

// Writes runs of a document as spans.  Neighbouring runs that look alike
// (they differ only in the picture they show) share one span.
class SpanWriter
{
public:
    SpanWriter(const Document &doc, ByteOut &out, const SpanTags &tags) : m_doc(doc), m_out(out), m_tags(tags) {}

    void Write(int from, int to)
    {
        if (IsLineBreak(m_doc.text[from]))
            m_out.Put('\n');
        const auto &runs = m_doc.runs.Runs();
        const QByteArray none;
        const QByteArray *open = &none;
        int openShape = kPlainShape;
        for (size_t i = m_doc.runs.RunAt(from); i < runs.size() && m_doc.runs.RunStart(i) < to; ++i) {
            const int format = runs[i].format;
            const int start = std::max(m_doc.runs.RunStart(i), from), end = std::min(runs[i].end, to);
            const QByteArray &tag = m_tags.open[size_t(format)];
            const int shape = m_tags.shape[size_t(format)];
            if (open != &tag && *open != tag && !(shape >= 0 && shape == openShape && Blank(start, end))) {
                if (!open->isEmpty())
                    m_out.Put("</span>");
                m_out.Put(tag);
                open = &tag;
                openShape = shape;
            }
            Text(start, end, format);
        }
        if (!open->isEmpty())
            m_out.Put("</span>");
    }

private:
    bool Blank(int from, int to) const
    {
        for (int i = from; i < to; ++i) {
            const QChar c = m_doc.text[i];
            if (c != u' ' && c != u'\t' && !IsLineBreak(c))
                return false;
        }
        return true;
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
    const SpanTags &m_tags;
};

bool Clamp(const Document &doc, int &from, int &to)
{
    from = std::clamp(from, 0, int(doc.text.size()));
    to = std::clamp(to, from, int(doc.text.size()));
    return from < to && !doc.runs.IsEmpty();
}

// The clipboard's spans carry their look in a style attribute, which every
// program a fragment is pasted into reads; each run keeps its colour.
SpanTags InlineTags(const Document &doc, int from, int to)
{
    SpanTags tags{std::vector<QByteArray>(size_t(doc.formats.Count())), std::vector<int>(size_t(doc.formats.Count()), -1)};
    std::vector<bool> known(size_t(doc.formats.Count()), false);
    const auto &runs = doc.runs.Runs();
    for (size_t i = doc.runs.RunAt(from); i < runs.size() && doc.runs.RunStart(i) < to; ++i) {
        const size_t format = size_t(runs[i].format);
        if (known[format])
            continue;
        known[format] = true;
        const QString style = Declarations(doc.formats.At(int(format)), QString());
        if (!style.isEmpty())
            tags.open[format] = "<span style=\"" + style.toUtf8() + "\">";
    }
    return tags;
}

// "a" .. "z", "aa" ...
QByteArray ClassName(qsizetype index)
{
    QByteArray name;
    for (++index; index > 0; index = (index - 1) / 26)
        name.prepend(char('a' + (index - 1) % 26));
    return name;
}

// A page names each distinct look once, as a class in its style sheet, and
// its spans give only the class: a listing's million runs would otherwise
// repeat the same declarations (a face list of 150 bytes) in every span.
struct PageStyle
{
    QByteArray pre;      // the <pre>'s face and size
    QByteArray classes;  // one rule per look
    SpanTags tags;
};

// The <pre>'s declarations: the page's faces, led by the face every used
// format names if they all name the same, and the size they all share.
QByteArray PreStyle(const Document &doc, const std::vector<bool> &used, bool *sameFamily, bool *sameSize)
{
    const CharFormat *first = nullptr;
    *sameFamily = *sameSize = true;
    for (size_t id = 0; id < used.size(); ++id) {
        if (!used[id])
            continue;
        const CharFormat &f = doc.formats.At(int(id));
        if (!first)
            first = &f;
        *sameFamily = *sameFamily && f.family == first->family;
        *sameSize = *sameSize && f.halfPoints == first->halfPoints;
    }
    QString pre = QStringLiteral("font-family:%1;").arg(QString::fromUtf8(kPageFaces));
    if (first && *sameFamily && !first->family.isEmpty())
        pre = QStringLiteral("font-family:'%1',%2;").arg(FamilyName(first->family), QString::fromUtf8(kPageFaces));
    if (first && *sameSize && first->halfPoints > 0)
        pre += QStringLiteral("font-size:%1pt;").arg(first->halfPoints / 2.0);
    return pre.toUtf8();
}

PageStyle PlanPage(const Document &doc)
{
    const size_t count = size_t(doc.formats.Count());
    std::vector<bool> used(count, false);
    for (const FormatRun &run : doc.runs.Runs())
        used[size_t(run.format)] = true;
    bool sameFamily, sameSize;
    PageStyle page;
    page.pre = PreStyle(doc, used, &sameFamily, &sameSize);
    const StyleParts parts{true, !sameFamily, !sameSize, true};
    const QString faces = QLatin1Char(',') + QString::fromUtf8(kPageFaces);
    page.tags = {std::vector<QByteArray>(count), std::vector<int>(count, -1)};
    QHash<QString, QByteArray> classes;
    QHash<QString, int> shapes{{QString(), kPlainShape}};
    for (size_t id = 0; id < count; ++id) {
        if (!used[id])
            continue;
        const CharFormat &f = doc.formats.At(int(id));
        const QString look = Declarations(f, faces, parts);
        if (!look.isEmpty()) {
            auto it = classes.constFind(look);
            if (it == classes.cend()) {
                const QByteArray name = ClassName(classes.size());
                page.classes += '.' + name + '{' + look.toUtf8() + "}\n";
                it = classes.insert(look, "<span class=" + name + '>');
            }
            page.tags.open[id] = *it;
        }
        if (!f.underline && !f.strike) {
            StyleParts shapeParts = parts;
            shapeParts.colour = false;
            const QString shape = Declarations(f, faces, shapeParts);
            auto it = shapes.constFind(shape);
            if (it == shapes.cend())
                it = shapes.insert(shape, int(shapes.size()));
            page.tags.shape[id] = *it;
        }
    }
    return page;
}

} // namespace

QString HtmlBody(const Document &doc, int from, int to)
{
    if (!Clamp(doc, from, to))
        return QString();
    ByteOut out(2 * (to - from));
    const SpanTags tags = InlineTags(doc, from, to);
    SpanWriter(doc, out, tags).Write(from, to);
    return QString::fromUtf8(out.Take());
}

QByteArray WriteHtmlPage(const Document &doc, const QString &title)
{
    const PageStyle page = PlanPage(doc);
    // Enough for a coloured listing's text and tags at once.
    ByteOut out(doc.text.size() + qsizetype(doc.runs.Runs().size()) * 24 + page.classes.size() + 1024);
    out.Put("<!DOCTYPE html>\n<html lang=\"zh-CN\">\n<head>\n<meta charset=\"utf-8\">\n<title>");
    out.Put(title.toHtmlEscaped().toUtf8());
    out.Put("</title>\n<style>\nbody{margin:8px;background:#fff;color:#000}\npre{margin:0;");
    out.Put(page.pre);
    out.Put("}\n");
    out.Put(page.classes);
    out.Put("</style>\n</head>\n<body>\n<pre>");
    int from = 0, to = int(doc.text.size());
    if (Clamp(doc, from, to))
        SpanWriter(doc, out, page.tags).Write(from, to);
    out.Put("</pre>\n</body>\n</html>\n");
    return out.Take();
}

} // namespace lumora
