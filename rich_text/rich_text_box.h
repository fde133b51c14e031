#pragma once

#include "document/document.h"
#include "document/ole_color.h"
#include "document/progress.h"

#include "rich_text/text_view.h"

#include <QTextCharFormat>
#include <functional>

namespace lumora {

// The editing area.  Callers see the operations of a rich-edit control under
// its member names, with positions and lengths counted in the plain text in
// which every line break is CR LF.  The document (text, formats, pictures,
// history) is the view's edit buffer; this class gives it the operations
// and the files of a rich-edit control.
class RichTextBox : public TextView
{
    Q_OBJECT
public:
    explicit RichTextBox(QWidget *parent = nullptr);
    ~RichTextBox() override;

    // The font a new editing area starts with.
    static QFont DefaultFont();

    // Whole text, lines separated by CR LF, soft line breaks as vertical
    // tabs.  Built when first asked for after a change, then kept.
    const QString &Text() const;
    int TextLength() const;
    // The same text with soft line breaks as U+2028 (what a text file keeps
    // of the document: a literal vertical tab stays one).
    const QString &RawText() const;

    // Searches forward from start (a match at start counts) for what,
    // ignoring case and word boundaries; with end >= 0 the match must end at
    // or before end.  Selects the match and returns its start, or returns -1
    // and leaves the selection alone.  A start below 0 searches from 0; a
    // start past the end, or an empty search text, finds nothing.
    int Find(const QString &what, int start = 0, int end = -1);

    int SelStart() const;
    void SetSelStart(int start);          // caret there, nothing selected
    int SelLength() const;
    void SetSelLength(int length);        // extends the selection from its start
    QString SelText() const;
    void SetSelText(const QString &text); // replaces the selection, or inserts at the caret
    // What Ctrl+C puts on the clipboard (the text, and the look as HTML),
    // handed over even when nothing is selected: then the clipboard empties.
    void Copy() const;
    // Whether text put in place of the selection leaves the document within
    // the length the editor keeps; if not, *why (may be null) says why in
    // Chinese.
    bool CanInsert(const QString &text, QString *why) const;
    // Tells the user why a paste or drop was refused.
    void SetNotice(std::function<void(const QString &)> notice) { m_notice = std::move(notice); }

    OleColor SelColor() const;
    void SetSelColor(OleColor color);
    void SetSelFontName(const QString &name);
    void SetSelFontSize(float points);
    void SetSelBold(bool on);
    void SetSelItalic(bool on);
    void SetSelStrikeThru(bool on);
    void SetSelUnderline(bool on);

    // How the character at a text position looks (its face as asked for).
    QTextCharFormat FormatAt(int textPos) const;

    // Changes formats all over the document as one undo step (as a
    // highlighting pass does): painter gets the text (CR LF, soft breaks as
    // U+2028), the formats and the format table.
    void PaintFormats(const std::function<void(const QString &, RunList &, FormatTable &)> &painter);
    // The same with the painter called on pieces of whole paragraphs in
    // turn (see EditBuffer::PaintByParagraphs); false when it abandoned the
    // pass, which then changed nothing.
    bool PaintFormatsByParagraphs(const EditBuffer::PiecePainter &painter, int pieceChars,
                                  const std::function<void(const QString &next)> &ahead = {});

    // Keyboard focus here, bringing this editor's window to the front.
    void SetFocus();

    float RightMargin() const { return m_rightMargin; }
    void SetRightMargin(float m) { m_rightMargin = m; }

    // Inserts a picture at the caret at its natural size.
    void InsertPicture(const QImage &image);

    // The whole document (text, formats, pictures) as it stands.
    Document Snapshot() const;
    // The stretch [from, to) of it as a document of its own (positions from
    // 0; the format table and pictures whole), in time proportional to the
    // stretch.
    Document Excerpt(int from, int to) const;
    // Grows with every change of the text, formats or pictures (undo and
    // redo included), never returning to an earlier value.
    quint64 ChangeCount() const;
    // Replaces the document in one pass, then tells progress (if any) that
    // it is in.  False when progress abandoned the load then.
    bool SetDocument(Document doc, const Progress &progress = {});

    // Whether the text, formats or pictures changed since SetModified(false).
    // Replacing the document counts as a change: whoever replaces it says
    // whether the new one is saved somewhere.
    bool IsModified() const;
    void SetModified(bool on);
    // What a plain-text file cannot keep of the document as it stands, in
    // Chinese words ("颜色", "字体", "图片", "段落对齐"); empty when nothing.
    QStringList PlainTextLosses() const;

    // True while LoadFile reads a file and fills the editor; the editing
    // area is read-only meanwhile.
    bool IsLoading() const { return m_loading; }

    // The whole document as RTF; never empty, even for an empty document.
    QByteArray TextRTF() const;
    // Replaces the document with an RTF document; the empty text empties it
    // (text, formatting and pictures).  On unreadable RTF returns false,
    // sets *error and leaves the document as it was.
    bool SetTextRTF(const QByteArray &rtf, QString *error = nullptr);
    // Loading by file name: RTF content as rich text, anything else as plain
    // text (*isRtf, if given, says which it was).  On failure returns false
    // with a Chinese reason naming the file, and the document stays as it was.
    // *notice, if given, gets what the user must be told about the file
    // opened (the parts the document does not keep), else is emptied.
    bool LoadFile(const QString &path, QString *error, const Progress &progress = {}, bool *isRtf = nullptr,
                  QString *notice = nullptr);
    // Writes the document as RTF, atomically.
    bool SaveFile(const QString &path, QString *error) const;

    // Selects [start, start+length) in text positions.
    void Select(int start, int length);
    // Replaces the document by plain text (any line breaks) in the default
    // format, unchanged, with an empty history.
    void SetPlainText(const QString &text);

protected:
    QMimeData *CreateMimeDataFromSelection() const override;
    QMimeData *CreateClipboardData() const override;
    bool CanInsertFromMimeData(const QMimeData *source) const override;
    void InsertFromMimeData(const QMimeData *source) override;

private:
    void ChangeSelFormat(const std::function<void(CharFormat &)> &change);
    bool ShowDocument(Document doc, QString *error, const Progress &progress);
    bool Shown(qint64 length, const Progress &progress);

    float m_rightMargin = 0.0f;
    bool m_loading = false;
    std::function<void(const QString &)> m_notice;
    mutable QString m_shown;            // Text(): soft breaks as vertical tabs
    mutable quint64 m_shownAt = ~quint64(0);
};

} // namespace lumora
