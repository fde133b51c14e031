#pragma once

#include <QHash>
#include <QImage>
#include <QString>
#include <QVector>

class QTextDocument;

namespace lumora {

// A character format as the reader resolved it.  Empty family and zero size
// mean "the document's default"; color -1 means "auto" (no foreground).
struct RtfCharProps
{
    QString family;
    int halfPoints = 0;
    qint64 color = -1;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;

    bool operator==(const RtfCharProps &o) const
    {
        return family == o.family && halfPoints == o.halfPoints && color == o.color && bold == o.bold
            && italic == o.italic && underline == o.underline && strike == o.strike;
    }
};

size_t qHash(const RtfCharProps &p, size_t seed = 0);

struct RtfPicture
{
    QImage image;
    double width = 0;    // display size in pixels
    double height = 0;
};

// What a parse produced, before it goes into a document: one string with
// U+2029 between paragraphs, the format of each stretch of it, and the
// pictures.  Kept apart from the document so that a refused file leaves the
// document untouched, and so that filling is one pass with each distinct
// format built once.
class RtfContent
{
public:
    // Alignment codes of a paragraph.
    enum Align : quint8 { Left, Center, Right, Justify };

    int FormatId(const RtfCharProps &props);

    // Appends text; C0 control characters other than tab are dropped.
    void Append(QStringView text, int format);
    void Append(QChar c, int format);
    void AppendAscii(QByteArrayView bytes, int format);
    void AppendPicture(RtfPicture picture);
    void ParagraphBreak(int format, Align align);
    // Turns a trailing tab (a table cell's end) into the paragraph break.
    void EndRow(int format, Align align);
    // The alignment of the last paragraph, which no break ends.
    void Finish(Align align);

    bool IsEmpty() const { return m_text.isEmpty(); }
    const QString &Text() const { return m_text; }
    qint64 PictureBytes() const { return m_pictureBytes; }
    int PictureCount() const { return int(m_pictures.size()); }

    struct Mark
    {
        int textLength = 0;
        int runs = 0;
        int pictures = 0;
        int aligns = 0;
        int paragraphs = 0;
    };
    Mark Position() const;
    // Drops everything appended after the mark.
    void TruncateTo(const Mark &mark);

    // Replaces doc's content, with undo off while filling; the undo stack
    // is left empty.
    void Fill(QTextDocument &doc) const;

private:
    struct Run
    {
        int end;
        int format;   // >= 0: index into m_formats; < 0: picture -(format + 1)
    };
    void Extend(int format);
    void RepairSurrogates(QString &text) const;

    QString m_text;
    QVector<Run> m_runs;
    QVector<RtfCharProps> m_formats;
    QHash<RtfCharProps, int> m_formatIds;
    QVector<RtfPicture> m_pictures;
    QVector<QPair<int, Align>> m_aligns;   // paragraph number, alignment (non-left only)
    int m_paragraphs = 0;
    qint64 m_pictureBytes = 0;
};

} // namespace lumora
