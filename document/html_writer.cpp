#include "document/html_writer.h"

#include "document/markup_walk.h"

#include <QBuffer>
#include <QHash>
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

// The HTML of the runs: spans, "<", ">" and "&" escaped, pictures inline.
// Neighbouring runs that look alike (they differ only in the picture they
// show) share one span.
class SpanMarkup
{
public:
    static constexpr PlainAscii kPlain{"<>&"};
    static constexpr bool kCrLf = false;

    SpanMarkup(const Document &doc, ByteOut &out, const SpanTags &tags) : m_doc(doc), m_out(out), m_tags(tags) {}

    void Enter(int format, int start, int end)
    {
        const QByteArray &tag = m_tags.open[size_t(format)];
        const int shape = m_tags.shape[size_t(format)];
        if (m_open != &tag && *m_open != tag && !(shape >= 0 && shape == m_openShape && Blank(start, end))) {
            if (!m_open->isEmpty())
                m_out.Put("</span>");
            m_out.Put(tag);
            m_open = &tag;
            m_openShape = shape;
        }
    }

    void Leave()
    {
        if (!m_open->isEmpty())
            m_out.Put("</span>");
    }

    void Escape(qsizetype at)
    {
        switch (m_doc.text[at].unicode()) {
        case u'<': m_out.Put("&lt;"); break;
        case u'>': m_out.Put("&gt;"); break;
        default: m_out.Put("&amp;"); break;   // kPlain holds back no other
        }
    }

    void Picture(int format)
    {
        const int picture = m_doc.formats.At(format).picture;
        if (picture >= 0 && picture < m_doc.pictures.size())
            m_out.Put(PictureTag(m_doc.pictures[picture]));
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

    const Document &m_doc;
    ByteOut &m_out;
    const SpanTags &m_tags;
    const QByteArray m_none;
    const QByteArray *m_open = &m_none;
    int m_openShape = kPlainShape;
};

// The runs [from, to) as spans; a stretch that begins with a line break
// begins with one line feed more (see HtmlBody).
void WriteSpans(const Document &doc, int from, int to, ByteOut &out, const SpanTags &tags)
{
    if (IsLineBreak(doc.text[from]))
        out.Put('\n');
    SpanMarkup markup(doc, out, tags);
    MarkupWalk<SpanMarkup>(doc, out, markup).Write(from, to);
}

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
    WriteSpans(doc, from, to, out, tags);
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
        WriteSpans(doc, from, to, out, page.tags);
    out.Put("</pre>\n</body>\n</html>\n");
    return out.Take();
}

} // namespace lumora
