#pragma once

#include "document/document.h"

#include <QByteArray>
#include <QHash>

namespace lumora {

// What a parse produces, built straight into a Document: text with CR LF
// paragraph breaks, its runs, pictures and paragraph alignments.  Kept
// apart from the caller's document so that a refused file leaves that
// document untouched.
class RtfContent
{
public:
    int FormatId(const CharFormat &format) { return m_doc.formats.Id(format); }
    const CharFormat &Format(int id) const { return m_doc.formats.At(id); }

    // Appends text.  Raw C0 control characters other than tab are dropped:
    // in RTF they carry no meaning.
    void Append(QStringView text, int format);
    void AppendAscii(QByteArrayView bytes, int format);
    // Bytes known to be printable ASCII or tabs.
    void AppendPrintable(QByteArrayView bytes, int format)
    {
        m_doc.text.append(QLatin1String(bytes.data(), bytes.size()));
        m_doc.runs.Append(int(bytes.size()), format);
    }
    // One character given by \uN: every character is kept except CR and
    // LF, which only a paragraph break may put in the text.
    void AppendUnicode(char16_t c, int format);
    void Append(QChar c, int format);

    // A picture at the end of the text, in the look of format.  key names
    // the picture's source data; pictures with the same key share their
    // image and data, and equal pictures share one entry.  Returns the
    // picture's index.
    int AppendPicture(const QByteArray &key, Picture picture, int format);
    // The picture already read from the same source data, or -1.
    int PictureWithKey(const QByteArray &key) const { return m_pictureByKey.value(key, -1); }
    const Picture &PictureAt(int index) const { return m_doc.pictures[index]; }

    void ParagraphBreak(int format, Align align);
    // Turns a trailing tab (a table cell's end) into the paragraph break,
    // unless the tab lies within the first keep characters, which must stay
    // as they are (a mark may be about to cut the text there).
    void EndRow(int format, Align align, int keep);
    // The alignment of the last paragraph, which no break ends.
    void Finish(Align align);

    bool IsEmpty() const { return m_doc.text.isEmpty(); }
    int TextLength() const { return int(m_doc.text.size()); }
    qint64 PictureBytes() const { return m_pictureBytes; }
    int PictureCount() const { return m_pictureChars; }

    struct Mark
    {
        int textLength = 0;
        int pictures = 0;
        int pictureChars = 0;
        int aligns = 0;
        int paragraphs = 0;
    };
    Mark Position() const;
    // Drops the text, breaks and alignments appended after the mark.
    void TruncateTo(const Mark &mark);

    // The document built; lone surrogates (a \uN unit without its partner)
    // become U+FFFD.  Leaves this object empty.
    Document Take();

private:
    void Extend(int length, int format);

    Document m_doc;
    QHash<QByteArray, int> m_pictureByKey;
    int m_paragraphs = 0;
    int m_pictureChars = 0;
    qint64 m_pictureBytes = 0;
};

} // namespace lumora
