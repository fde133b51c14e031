#pragma once

// Helpers shared by the RTF tests: a document's content as comparable
// values, so a round trip can be checked character by character.

#include "ole_color.h"

#include <QImage>
#include <QStringList>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextImageFormat>
#include <QUrl>

namespace rtftest {

inline QTextDocument *NewDocument(QObject *parent = nullptr)
{
    auto *doc = new QTextDocument(parent);
    QFont f(QStringLiteral("宋体"));
    f.setPointSizeF(9.0);
    doc->setDefaultFont(f);
    return doc;
}

// The format of a text fragment as the editor sees it, with the document's
// defaults filled in, so that "no property" and "the default value" compare
// equal.
inline QString Signature(const QTextDocument &doc, const QTextCharFormat &f)
{
    QString family = doc.defaultFont().family();
    const QStringList fams = f.property(QTextFormat::FontFamilies).toStringList();
    if (!fams.isEmpty())
        family = fams.first();
    const double pt = f.hasProperty(QTextFormat::FontPointSize) ? f.fontPointSize() : doc.defaultFont().pointSizeF();
    const QString color = f.hasProperty(QTextFormat::ForegroundBrush)
                              ? QString::number(lumora::OleFromColor(f.foreground().color()), 16)
                              : QStringLiteral("auto");
    return QStringLiteral("%1/%2/%3/%4%5%6%7")
        .arg(family)
        .arg(pt)
        .arg(color)
        .arg(f.fontWeight() >= QFont::DemiBold ? 'b' : '-')
        .arg(f.fontItalic() ? 'i' : '-')
        .arg(f.fontUnderline() ? 'u' : '-')
        .arg(f.fontStrikeOut() ? 's' : '-');
}

inline QImage PictureOf(const QTextDocument &doc, const QTextImageFormat &f)
{
    return doc.resource(QTextDocument::ImageResource, QUrl(f.name())).value<QImage>();
}

// Runs of equal format as "text" + "{signature}", pictures as their display
// size in twips (the precision RTF keeps) and a checksum of their pixels.
inline QStringList Runs(const QTextDocument &doc)
{
    QStringList out;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        if (b != doc.begin())
            out << QStringLiteral("<par>");
        QString lastSig;
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            if (frag.charFormat().isImageFormat()) {
                const QTextImageFormat img = frag.charFormat().toImageFormat();
                const QImage pic = PictureOf(doc, img).convertToFormat(QImage::Format_ARGB32);
                const QByteArray bytes(reinterpret_cast<const char *>(pic.constBits()), pic.sizeInBytes());
                out << QStringLiteral("<pic %1x%2 %3x%4 %5>")
                           .arg(qRound(img.width() * 15))
                           .arg(qRound(img.height() * 15))
                           .arg(pic.width())
                           .arg(pic.height())
                           .arg(qHash(bytes));
                lastSig.clear();
                continue;
            }
            const QString sig = Signature(doc, frag.charFormat());
            if (sig == lastSig && !out.isEmpty())
                out.last().insert(out.last().lastIndexOf(QLatin1Char('{')), frag.text());
            else
                out << frag.text() + QLatin1Char('{') + sig + QLatin1Char('}');
            lastSig = sig;
        }
    }
    return out;
}

} // namespace rtftest
