#include "document/rtf_content.h"

namespace lumora {

namespace {

bool Dropped(char16_t c) { return c < 0x20 && c != u'\t'; }

} // namespace

void RtfContent::Extend(int length, int format)
{
    m_doc.runs.Append(length, format);
}

void RtfContent::Append(QStringView text, int format)
{
    const qsizetype before = m_doc.text.size();
    bool clean = true;
    for (QChar c : text)
        if (Dropped(c.unicode())) {
            clean = false;
            break;
        }
    if (clean) {
        m_doc.text.append(text);
    } else {
        for (QChar c : text)
            if (!Dropped(c.unicode()))
                m_doc.text.append(c);
    }
    Extend(int(m_doc.text.size() - before), format);
}

void RtfContent::AppendAscii(QByteArrayView bytes, int format)
{
    for (char c : bytes) {
        if (Dropped(uchar(c))) {
            Append(QString::fromLatin1(bytes.data(), bytes.size()), format);
            return;
        }
    }
    m_doc.text.append(QLatin1String(bytes.data(), bytes.size()));
    Extend(int(bytes.size()), format);
}

void RtfContent::Append(QChar c, int format)
{
    if (Dropped(c.unicode()))
        return;
    m_doc.text.append(c);
    Extend(1, format);
}

void RtfContent::AppendUnicode(char16_t c, int format)
{
    if (c == u'\r' || c == u'\n')
        return;
    m_doc.text.append(QChar(c));
    Extend(1, format);
}

int RtfContent::AppendPicture(const QByteArray &key, Picture picture, int format)
{
    int index = -1;
    const int same = m_pictureByKey.value(key, -1);
    if (same >= 0) {
        // The same source data: share the decoded image and the data.
        const Picture &known = m_doc.pictures[same];
        picture.image = known.image;
        picture.data = known.data;
        picture.kind = known.kind;
        if (known.width == picture.width && known.height == picture.height)
            index = same;
    } else {
        m_pictureBytes += picture.image.sizeInBytes() + picture.data.size();
    }
    if (index < 0) {
        index = int(m_doc.pictures.size());
        m_doc.pictures.append(std::move(picture));
        if (same < 0)
            m_pictureByKey.insert(key, index);
    }
    CharFormat f = m_doc.formats.At(format);
    f.picture = index;
    m_doc.text.append(QChar(QChar::ObjectReplacementCharacter));
    Extend(1, m_doc.formats.Id(f));
    ++m_pictureChars;
    return index;
}

void RtfContent::ParagraphBreak(int format, Align align)
{
    if (align != Align::Left)
        m_doc.aligns.append({m_paragraphs, align});
    ++m_paragraphs;
    m_doc.text.append(QLatin1String("\r\n", 2));
    Extend(2, format);
}

void RtfContent::EndRow(int format, Align align, int keep)
{
    QString &text = m_doc.text;
    if (text.size() > keep && text.endsWith(QLatin1Char('\t'))) {
        text.chop(1);
        m_doc.runs.Replace(int(text.size()), 1, RunList());
    }
    ParagraphBreak(format, align);
}

void RtfContent::Finish(Align align)
{
    if (align != Align::Left)
        m_doc.aligns.append({m_paragraphs, align});
}

RtfContent::Mark RtfContent::Position() const
{
    return Mark{TextLength(), int(m_doc.pictures.size()), m_pictureChars, int(m_doc.aligns.size()),
                m_paragraphs};
}

void RtfContent::TruncateTo(const Mark &mark)
{
    if (mark.textLength < TextLength()) {
        m_doc.runs.Replace(mark.textLength, TextLength() - mark.textLength, RunList());
        m_doc.text.truncate(mark.textLength);
    }
    if (mark.pictures < m_doc.pictures.size()) {
        m_doc.pictures.resize(mark.pictures);
        m_pictureByKey.removeIf([&](const auto &it) { return it.value() >= mark.pictures; });
    }
    m_pictureChars = mark.pictureChars;
    m_doc.aligns.resize(mark.aligns);
    m_paragraphs = mark.paragraphs;
}

Document RtfContent::Take()
{
    // \uN values arrive one UTF-16 unit at a time; a unit without its
    // partner is not a character.
    QString &text = m_doc.text;
    const qsizetype n = text.size();
    QChar *data = nullptr;
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (!c.isSurrogate())
            continue;
        if (c.isHighSurrogate() && i + 1 < n && text.at(i + 1).isLowSurrogate()) {
            ++i;
            continue;
        }
        if (!data)
            data = text.data();
        data[i] = QChar(QChar::ReplacementCharacter);
    }
    Document out = std::move(m_doc);
    m_doc = Document();
    m_pictureByKey.clear();
    m_paragraphs = m_pictureChars = 0;
    m_pictureBytes = 0;
    return out;
}

} // namespace lumora
