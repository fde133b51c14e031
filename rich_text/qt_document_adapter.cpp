#include "qt_document_adapter.h"

#include "document.h"
#include "ole_color.h"
#include "pictures.h"

#include <QHash>
#include <QPixmap>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QUrl>

#include <cmath>

namespace lumora {

namespace {

// Encoded picture data by resource name, kept on the Qt document.
const char kPictureData[] = "lumoraPictureData";

QTextCharFormat ToQt(const CharFormat &p)
{
    QTextCharFormat f;
    if (!p.family.isEmpty())
        f.setFontFamilies(QStringList{p.family});
    if (p.halfPoints > 0)
        f.setFontPointSize(p.halfPoints / 2.0);
    if (p.color >= 0)
        f.setForeground(ColorFromOle(OleColor(p.color)));
    if (p.bold)
        f.setFontWeight(QFont::Bold);
    if (p.italic)
        f.setFontItalic(true);
    if (p.underline)
        f.setFontUnderline(true);
    if (p.strike)
        f.setFontStrikeOut(true);
    return f;
}

CharFormat FromQt(const QTextCharFormat &f)
{
    CharFormat r;
    const QStringList families = f.property(QTextFormat::FontFamilies).toStringList();
    if (!families.isEmpty())
        r.family = families.constFirst();
    else if (f.hasProperty(QTextFormat::FontFamily))
        r.family = f.stringProperty(QTextFormat::FontFamily);
    if (r.family == kDefaultFamily)
        r.family.clear();
    const double pt = f.hasProperty(QTextFormat::FontPointSize) ? f.fontPointSize() : 0;
    r.halfPoints = pt > 0 ? std::clamp(int(std::lround(pt * 2)), 1, 3276) : 0;
    if (r.halfPoints == kDefaultHalfPoints)
        r.halfPoints = 0;
    if (f.hasProperty(QTextFormat::ForegroundBrush) && f.foreground().style() != Qt::NoBrush)
        r.color = OleFromColor(f.foreground().color());
    r.bold = f.fontWeight() >= QFont::DemiBold;
    r.italic = f.fontItalic();
    r.underline = f.fontUnderline();
    r.strike = f.fontStrikeOut();
    return r;
}

Qt::Alignment ToQt(Align a)
{
    switch (a) {
    case Align::Center: return Qt::AlignHCenter;
    case Align::Right: return Qt::AlignRight;
    case Align::Justify: return Qt::AlignJustify;
    default: return Qt::AlignLeft;
    }
}

Align FromQt(Qt::Alignment a)
{
    a &= Qt::AlignHorizontal_Mask;
    if (a & Qt::AlignHCenter)
        return Align::Center;
    if (a & Qt::AlignRight)
        return Align::Right;
    if (a & Qt::AlignJustify)
        return Align::Justify;
    return Align::Left;
}

// The model's text of [from, to) as Qt inserts it: a paragraph break is
// one U+2029.  *pendingLf is set when a CR ends the stretch, so that the
// LF starting the next one is skipped.
QString QtText(const QString &text, int from, int to, bool *pendingLf)
{
    QString out;
    out.reserve(to - from);
    for (int i = from; i < to; ++i) {
        const char16_t c = text[i].unicode();
        if (c == u'\n' && *pendingLf) {
            *pendingLf = false;
            continue;
        }
        *pendingLf = false;
        if (c == u'\r' || c == u'\n') {
            out.append(QChar(QChar::ParagraphSeparator));
            *pendingLf = c == u'\r';
        } else if (c == QChar::ParagraphSeparator || c == 0xFDD0 || c == 0xFDD1) {
            out.append(QChar(QChar::ReplacementCharacter));
        } else {
            out.append(QChar(c));
        }
    }
    return out;
}

class Filler
{
public:
    Filler(const Document &doc, QTextDocument *qtDoc) : m_doc(doc), m_qt(qtDoc), m_cursor(qtDoc) {}
    void Fill();

private:
    const QTextCharFormat &Format(int id);
    void InsertPicture(int index);

    const Document &m_doc;
    QTextDocument *m_qt;
    QTextCursor m_cursor;
    QHash<int, QTextCharFormat> m_formats;
    QHash<int, QString> m_names;   // picture index -> resource name
    QVariantHash m_data;
};

const QTextCharFormat &Filler::Format(int id)
{
    auto it = m_formats.find(id);
    if (it == m_formats.end())
        it = m_formats.insert(id, ToQt(m_doc.formats.At(id)));
    return it.value();
}

void Filler::InsertPicture(int index)
{
    const Picture &p = m_doc.pictures[index];
    QString &name = m_names[index];
    if (name.isEmpty()) {
        name = AddPictureResource(m_qt, p.image);
        if (!p.data.isEmpty())
            m_data.insert(name, QVariantList{p.data, int(p.kind)});
    }
    QTextImageFormat f;
    f.setName(name);
    f.setWidth(p.width);
    f.setHeight(p.height);
    m_cursor.insertImage(f);
}

void Filler::Fill()
{
    const QString &text = m_doc.text;
    const int n = int(text.size());
    // Clearing inside the edit block makes the whole fill one change from an
    // empty document, which the layout then lays out lazily, step by step,
    // instead of all at once (as setPlainText does).  The first block's
    // format is set last so as not to come first in that change.
    m_cursor.beginEditBlock();
    m_qt->clear();
    bool pendingLf = false;
    int pos = 0;
    for (const FormatRun &r : m_doc.runs.Runs()) {
        const int end = std::min(r.end, n);
        const int picture = m_doc.formats.At(r.format).picture;
        if (picture >= 0 && picture < m_doc.pictures.size()) {
            for (int i = pos; i < end; ++i) {
                if (text[i] == QChar::ObjectReplacementCharacter)
                    InsertPicture(picture);
                else
                    m_cursor.insertText(QtText(text, i, i + 1, &pendingLf), Format(r.format));
            }
        } else if (end > pos) {
            m_cursor.insertText(QtText(text, pos, end, &pendingLf), Format(r.format));
        }
        pos = std::max(pos, end);
    }
    if (pos < n)
        m_cursor.insertText(QtText(text, pos, n, &pendingLf), Format(0));
    if (!m_doc.runs.IsEmpty())
        QTextCursor(m_qt->begin()).setBlockCharFormat(Format(m_doc.runs.Runs().front().format));
    for (const auto &a : m_doc.aligns) {
        QTextBlock b = m_qt->findBlockByNumber(a.first);
        if (!b.isValid())
            continue;
        QTextBlockFormat bf;
        bf.setAlignment(ToQt(a.second));
        QTextCursor(b).mergeBlockFormat(bf);
    }
    m_qt->setProperty(kPictureData, m_data);
    m_cursor.endEditBlock();
}

QImage ResourceImage(const QTextDocument &qtDoc, const QString &name)
{
    const QVariant v = qtDoc.resource(QTextDocument::ImageResource, QUrl(name));
    QImage img = v.value<QImage>();
    if (img.isNull() && v.canConvert<QPixmap>())
        img = v.value<QPixmap>().toImage();
    return img;
}

} // namespace

void FillQtDocument(const Document &doc, QTextDocument *qtDoc)
{
    const bool undo = qtDoc->isUndoRedoEnabled();
    qtDoc->setUndoRedoEnabled(false);
    Filler(doc, qtDoc).Fill();
    qtDoc->setUndoRedoEnabled(undo);
}

Document DocumentFromQt(const QTextDocument &qtDoc)
{
    Document out;
    const QVariantHash data = qtDoc.property(kPictureData).toHash();
    QHash<int, int> formatOf;                    // Qt format index -> model format
    QHash<QString, int> pictureOf;               // name + size -> picture index
    int last = 0;                                // format of the character before
    for (QTextBlock b = qtDoc.begin(); b.isValid(); b = b.next()) {
        if (b != qtDoc.begin()) {
            out.text.append(QLatin1String("\r\n"));
            out.runs.Append(2, out.formats.WithoutPicture(last));
        }
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            const QString text = frag.text();
            const QTextCharFormat qf = frag.charFormat();
            auto known = formatOf.constFind(frag.charFormatIndex());
            if (known == formatOf.constEnd())
                known = formatOf.insert(frag.charFormatIndex(), out.formats.Id(FromQt(qf)));
            int format = known.value();
            if (qf.isImageFormat()) {
                const QTextImageFormat img = qf.toImageFormat();
                const QString key = img.name() + QLatin1Char('/') + QString::number(img.width())
                                    + QLatin1Char('x') + QString::number(img.height());
                int index = pictureOf.value(key, -1);
                if (index < 0) {
                    Picture p;
                    p.image = ResourceImage(qtDoc, img.name());
                    p.width = img.width() > 0 ? img.width() : p.image.width();
                    p.height = img.height() > 0 ? img.height() : p.image.height();
                    const QVariantList encoded = data.value(img.name()).toList();
                    if (encoded.size() == 2) {
                        p.data = encoded[0].toByteArray();
                        p.kind = Picture::Kind(encoded[1].toInt());
                    }
                    index = int(out.pictures.size());
                    out.pictures.append(p);
                    pictureOf.insert(key, index);
                }
                CharFormat f = out.formats.At(format);
                f.picture = index;
                format = out.formats.Id(f);
            }
            out.text.append(text);
            out.runs.Append(int(text.size()), format);
            last = format;
        }
        const Align a = FromQt(b.blockFormat().alignment());
        if (a != Align::Left)
            out.aligns.append({b.blockNumber(), a});
    }
    return out;
}

} // namespace lumora
