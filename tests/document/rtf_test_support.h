#pragma once

// Helpers shared by the RTF tests: a document's content as comparable
// values, so that a round trip can be checked run by run.

#include "document/document.h"
#include "document/rtf_reader.h"

#include <QStringList>

namespace rtftest {

// A format with the defaults filled in, so that "no property" and "the
// default value" compare equal.
inline QString Signature(const lumora::CharFormat &f)
{
    return QStringLiteral("%1/%2/%3/%4%5%6%7")
        .arg(f.family.isEmpty() ? lumora::kDefaultFamily : f.family)
        .arg((f.halfPoints > 0 ? f.halfPoints : lumora::kDefaultHalfPoints) / 2.0)
        .arg(f.color ? QString::number(*f.color, 16) : QStringLiteral("auto"))
        .arg(f.bold ? 'b' : '-')
        .arg(f.italic ? 'i' : '-')
        .arg(f.underline ? 'u' : '-')
        .arg(f.strike ? 's' : '-');
}

// A picture as its display size in twips (the precision RTF keeps), its
// pixel size and a checksum of its pixels.
inline QString PictureSignature(const lumora::Picture &p)
{
    const QImage img = p.image.convertToFormat(QImage::Format_ARGB32);
    const QByteArray bytes(reinterpret_cast<const char *>(img.constBits()), img.sizeInBytes());
    return QStringLiteral("<pic %1x%2 %3x%4 %5>")
        .arg(qRound(p.width * 15))
        .arg(qRound(p.height * 15))
        .arg(img.width())
        .arg(img.height())
        .arg(qHash(bytes));
}

// The text as runs of equal look: "text{signature}" with "<par>" for each
// paragraph break and pictures as their signature.
inline QStringList Runs(const lumora::Document &doc)
{
    QStringList out;
    QString last;
    const QString &text = doc.text;
    int at = 0;
    for (const lumora::FormatRun &r : doc.runs.Runs()) {
        const lumora::CharFormat &f = doc.formats.At(r.format);
        for (; at < r.end; ++at) {
            if (text[at] == QLatin1Char('\r') && at + 1 < text.size() && text[at + 1] == QLatin1Char('\n')) {
                out << QStringLiteral("<par>");
                last.clear();
                ++at;
            } else if (f.picture >= 0) {
                out << PictureSignature(doc.pictures[f.picture]);
                last.clear();
            } else {
                const QString sig = Signature(f);
                if (sig != last)
                    out << QLatin1Char('{') + sig + QLatin1Char('}');
                out.last().insert(out.last().lastIndexOf(QLatin1Char('{')), text[at]);
                last = sig;
            }
        }
    }
    return out;
}

// Everything a document holds, each character's look included (the look of
// paragraph breaks too), as lines to compare.
inline QStringList Contents(const lumora::Document &doc)
{
    QStringList out{doc.text};
    QString last;
    for (const lumora::FormatRun &r : doc.runs.Runs()) {
        const lumora::CharFormat &f = doc.formats.At(r.format);
        const QString sig = Signature(f) + (f.picture >= 0 ? PictureSignature(doc.pictures[f.picture]) : QString());
        if (sig == last)
            out.last() = QString::number(r.end) + QLatin1Char(' ') + sig;
        else
            out << QString::number(r.end) + QLatin1Char(' ') + sig;
        last = sig;
    }
    for (const auto &a : doc.aligns)
        out << QStringLiteral("align %1 %2").arg(a.first).arg(int(a.second));
    return out;
}

// The text a reader shows, paragraph breaks as '\n'.
inline QString PlainText(const lumora::Document &doc)
{
    return QString(doc.text).replace(QLatin1String("\r\n"), QLatin1String("\n"));
}

} // namespace rtftest
