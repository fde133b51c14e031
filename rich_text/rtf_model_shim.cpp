// Interim bridge from the QTextDocument-based RTF code to the document model.
#include "pictures.h"
#include "rtf_reader.h"
#include "rtf_writer.h"
#include "ole_color.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextImageFormat>
#include <QUrl>

namespace lumora {

bool ReadRtf(const QByteArray &data, Document *out, QString *error)
{
    QTextDocument doc;
    QFont f(kDefaultFamily);
    f.setPointSizeF(9);
    doc.setDefaultFont(f);
    if (!ReadRtf(data, doc, error))
        return false;
    Document d;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment fr = it.fragment();
            const QTextCharFormat q = fr.charFormat();
            CharFormat cf;
            if (q.isImageFormat()) {
                const QTextImageFormat im = q.toImageFormat();
                Picture p;
                p.image = doc.resource(QTextDocument::ImageResource, QUrl(im.name())).value<QImage>();
                p.width = im.width();
                p.height = im.height();
                d.pictures.append(p);
                cf.picture = int(d.pictures.size()) - 1;
            } else {
                const QStringList fam = q.fontFamilies().toStringList();
                if (!fam.isEmpty() && fam.first() != kDefaultFamily)
                    cf.family = fam.first();
                if (q.hasProperty(QTextFormat::FontPointSize)) {
                    const int hp = qRound(q.fontPointSize() * 2);
                    cf.halfPoints = hp == kDefaultHalfPoints ? 0 : hp;
                }
                if (q.hasProperty(QTextFormat::ForegroundBrush))
                    cf.color = OleFromColor(q.foreground().color());
                cf.bold = q.fontWeight() >= QFont::DemiBold;
                cf.italic = q.fontItalic();
                cf.underline = q.fontUnderline();
                cf.strike = q.fontStrikeOut();
            }
            d.text += fr.text();
            d.runs.Append(int(fr.text().size()), d.formats.Id(cf));
        }
        if (b.next().isValid()) {
            d.text += QLatin1String("\r\n");
            d.runs.Append(2, d.runs.IsEmpty() ? 0 : d.runs.Runs().back().format);
        }
    }
    *out = std::move(d);
    return true;
}

QByteArray WriteRtf(const Document &d)
{
    QTextDocument doc;
    QFont f(kDefaultFamily);
    f.setPointSizeF(9);
    doc.setDefaultFont(f);
    QTextCursor c(&doc);
    int at = 0;
    for (const FormatRun &r : d.runs.Runs()) {
        const CharFormat &cf = d.formats.At(r.format);
        QString piece = d.text.mid(at, r.end - at);
        at = r.end;
        if (cf.picture >= 0) {
            const Picture &p = d.pictures[cf.picture];
            QTextImageFormat im;
            im.setName(AddPictureResource(&doc, p.image));
            im.setWidth(p.width);
            im.setHeight(p.height);
            c.insertImage(im);
            continue;
        }
        QTextCharFormat q;
        if (!cf.family.isEmpty())
            q.setFontFamilies({cf.family});
        if (cf.halfPoints)
            q.setFontPointSize(cf.halfPoints / 2.0);
        if (cf.color >= 0)
            q.setForeground(ColorFromOle(OleColor(cf.color)));
        if (cf.bold)
            q.setFontWeight(QFont::Bold);
        q.setFontItalic(cf.italic);
        q.setFontUnderline(cf.underline);
        q.setFontStrikeOut(cf.strike);
        c.insertText(piece.replace(QLatin1String("\r\n"), QLatin1String("\n")), q);
    }
    return WriteRtf(doc);
}

} // namespace lumora
