#include "html_writer.h"

#include <QBuffer>

namespace lumora {

namespace {

QString Style(const CharFormat &f)
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
        s += QStringLiteral("font-family:'%1';").arg(f.family.toHtmlEscaped().replace(u'\'', u' '));
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

QString PictureTag(const Picture &p)
{
    QByteArray data = p.data;
    const char *mime = p.kind == Picture::Jpeg ? "image/jpeg" : "image/png";
    if (data.isEmpty()) {
        QBuffer buffer(&data);
        buffer.open(QIODevice::WriteOnly);
        p.image.save(&buffer, "PNG");
        mime = "image/png";
    }
    return QStringLiteral("<img width=\"%1\" height=\"%2\" src=\"data:%3;base64,%4\">")
        .arg(qRound(p.width))
        .arg(qRound(p.height))
        .arg(QLatin1String(mime), QString::fromLatin1(data.toBase64()));
}

void AppendText(QString &out, QStringView text, const Document &doc, int format)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        switch (c.unicode()) {
        case u'<': out += QLatin1String("&lt;"); break;
        case u'>': out += QLatin1String("&gt;"); break;
        case u'&': out += QLatin1String("&amp;"); break;
        case u'\r': break;
        case QChar::LineSeparator: out += QLatin1Char('\n'); break;
        case QChar::ObjectReplacementCharacter: {
            const int picture = doc.formats.At(format).picture;
            if (picture >= 0 && picture < doc.pictures.size())
                out += PictureTag(doc.pictures[picture]);
            break;
        }
        default: out += c;
        }
    }
}

} // namespace

QString HtmlBody(const Document &doc, int from, int to)
{
    QString out;
    from = std::clamp(from, 0, int(doc.text.size()));
    to = std::clamp(to, from, int(doc.text.size()));
    if (from == to || doc.runs.IsEmpty())
        return out;
    out.reserve((to - from) * 2);
    const auto &runs = doc.runs.Runs();
    for (size_t i = doc.runs.RunAt(from); i < runs.size() && doc.runs.RunStart(i) < to; ++i) {
        const int s = std::max(doc.runs.RunStart(i), from), e = std::min(runs[i].end, to);
        const QString style = Style(doc.formats.At(runs[i].format));
        if (!style.isEmpty())
            out += QStringLiteral("<span style=\"%1\">").arg(style);
        AppendText(out, QStringView(doc.text).mid(s, e - s), doc, runs[i].format);
        if (!style.isEmpty())
            out += QLatin1String("</span>");
    }
    return out;
}

} // namespace lumora
