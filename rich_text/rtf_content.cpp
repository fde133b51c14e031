#include "rtf_content.h"

#include "ole_color.h"
#include "pictures.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>

namespace lumora {

size_t qHash(const RtfCharProps &p, size_t seed)
{
    const int flags = int(p.bold) | int(p.italic) << 1 | int(p.underline) << 2 | int(p.strike) << 3;
    return qHashMulti(seed, p.family, p.halfPoints, p.color, flags);
}

int RtfContent::FormatId(const RtfCharProps &props)
{
    auto it = m_formatIds.constFind(props);
    if (it != m_formatIds.constEnd())
        return it.value();
    const int id = int(m_formats.size());
    m_formats.append(props);
    m_formatIds.insert(props, id);
    return id;
}

void RtfContent::Extend(int format)
{
    const int end = int(m_text.size());
    if (!m_runs.isEmpty() && m_runs.back().format == format && format >= 0)
        m_runs.back().end = end;
    else
        m_runs.append(Run{end, format});
}

void RtfContent::Append(QStringView text, int format)
{
    const qsizetype before = m_text.size();
    bool clean = true;
    for (QChar c : text)
        if (c.unicode() < 0x20 && c != QLatin1Char('\t')) {
            clean = false;
            break;
        }
    if (clean) {
        m_text.append(text);
    } else {
        for (QChar c : text)
            if (c.unicode() >= 0x20 || c == QLatin1Char('\t'))
                m_text.append(c);
    }
    if (m_text.size() != before)
        Extend(format);
}

void RtfContent::AppendAscii(QByteArrayView bytes, int format)
{
    for (char c : bytes) {
        if (uchar(c) < 0x20 && c != '\t') {
            Append(QString::fromLatin1(bytes.data(), bytes.size()), format);
            return;
        }
    }
    if (bytes.isEmpty())
        return;
    m_text.append(QLatin1String(bytes.data(), bytes.size()));
    Extend(format);
}

void RtfContent::Append(QChar c, int format)
{
    if (c.unicode() < 0x20 && c != QLatin1Char('\t'))
        return;
    m_text.append(c);
    Extend(format);
}

void RtfContent::AppendPicture(RtfPicture picture)
{
    m_pictureBytes += picture.image.sizeInBytes();
    m_pictures.append(std::move(picture));
    m_text.append(QChar(QChar::ObjectReplacementCharacter));
    m_runs.append(Run{int(m_text.size()), -int(m_pictures.size())});
}

void RtfContent::ParagraphBreak(int format, Align align)
{
    if (align != Left)
        m_aligns.append({m_paragraphs, align});
    ++m_paragraphs;
    m_text.append(QChar(QChar::ParagraphSeparator));
    Extend(format);
}

void RtfContent::EndRow(int format, Align align)
{
    if (m_text.endsWith(QLatin1Char('\t')))
        m_text[m_text.size() - 1] = QChar(QChar::ParagraphSeparator);
    else
        m_text.append(QChar(QChar::ParagraphSeparator));
    if (align != Left)
        m_aligns.append({m_paragraphs, align});
    ++m_paragraphs;
    Extend(format);
}

void RtfContent::Finish(Align align)
{
    if (align != Left)
        m_aligns.append({m_paragraphs, align});
}

RtfContent::Mark RtfContent::Position() const
{
    return Mark{int(m_text.size()), int(m_runs.size()), int(m_pictures.size()), int(m_aligns.size()),
                m_paragraphs};
}

void RtfContent::TruncateTo(const Mark &mark)
{
    m_text.truncate(mark.textLength);
    m_runs.resize(mark.runs);
    if (!m_runs.isEmpty())
        m_runs.back().end = std::min(m_runs.back().end, mark.textLength);
    m_pictures.resize(mark.pictures);
    m_aligns.resize(mark.aligns);
    m_paragraphs = mark.paragraphs;
}

void RtfContent::RepairSurrogates(QString &text) const
{
    // \u values arrive one UTF-16 unit at a time; a unit without its partner
    // is not a character.
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (!c.isSurrogate())
            continue;
        if (c.isHighSurrogate() && i + 1 < n && text.at(i + 1).isLowSurrogate()) {
            ++i;
            continue;
        }
        text[i] = QChar(QChar::ReplacementCharacter);
    }
}

namespace {

QTextCharFormat ToCharFormat(const RtfCharProps &p)
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

Qt::Alignment ToQt(RtfContent::Align a)
{
    switch (a) {
    case RtfContent::Center: return Qt::AlignHCenter;
    case RtfContent::Right: return Qt::AlignRight;
    case RtfContent::Justify: return Qt::AlignJustify;
    default: return Qt::AlignLeft;
    }
}

} // namespace

void RtfContent::Fill(QTextDocument &doc) const
{
    QString text = m_text;
    RepairSurrogates(text);

    QVector<QTextCharFormat> formats;
    formats.reserve(m_formats.size());
    for (const RtfCharProps &p : m_formats)
        formats.append(ToCharFormat(p));

    const bool undo = doc.isUndoRedoEnabled();
    doc.setUndoRedoEnabled(false);
    QTextCursor c(&doc);
    // Clearing inside the edit block makes the whole fill one change from an
    // empty document, which the layout then lays out lazily, step by step,
    // instead of all at once (as setPlainText does).  The first block's
    // format is set last so as not to come first in that change.
    c.beginEditBlock();
    doc.clear();
    int pos = 0;
    for (const Run &r : m_runs) {
        if (r.end <= pos)
            continue;
        if (r.format >= 0) {
            c.insertText(text.mid(pos, r.end - pos), formats[r.format]);
        } else {
            const RtfPicture &pic = m_pictures[-r.format - 1];
            QTextImageFormat f;
            f.setName(AddPictureResource(&doc, pic.image));
            f.setWidth(pic.width);
            f.setHeight(pic.height);
            c.insertImage(f);
        }
        pos = r.end;
    }
    if (!m_runs.isEmpty() && m_runs.front().format >= 0)
        QTextCursor(doc.begin()).setBlockCharFormat(formats[m_runs.front().format]);
    for (const auto &a : m_aligns) {
        QTextBlock b = doc.findBlockByNumber(a.first);
        if (!b.isValid())
            continue;
        QTextCursor bc(b);
        QTextBlockFormat bf;
        bf.setAlignment(ToQt(a.second));
        bc.mergeBlockFormat(bf);
    }
    c.endEditBlock();
    doc.setUndoRedoEnabled(undo);
}

} // namespace lumora
