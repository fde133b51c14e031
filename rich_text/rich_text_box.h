#pragma once

#include "document/document.h"
#include "document/ole_color.h"
#include "document/progress.h"

#include <QPlainTextEdit>
#include <functional>

namespace lumora {

class FormatLayer;
class LayerLayout;
class TextMirror;

// The editing area.  Callers see the operations of a rich-edit control under
// its member names, with positions and lengths counted in the plain text in
// which every line break is CR LF; this class alone maps them onto Qt's
// document positions.  The text lives in Qt's document; formats and pictures
// live beside it in a format layer and are applied to what is shown.
class RichTextBox : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit RichTextBox(QWidget *parent = nullptr);
    ~RichTextBox() override;

    // The font a new editing area starts with.
    static QFont DefaultFont();

    // Whole text, lines separated by CR LF.  Cheap: kept up to date as the
    // document changes.
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
    // Long text goes in slice by slice, with progress shown, as one undo step.
    // maker makes the progress report for one long paste; the window that
    // holds the editor decides how it shows.
    void SetProgressMaker(std::function<Progress()> maker) { m_progressMaker = std::move(maker); }
    // Whether text put in place of the selection leaves every line short
    // enough to be shown; if not, *why (may be null) says why in Chinese.
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

    // Keyboard focus here, bringing this editor's window to the front.
    void SetFocus();
    void Undo() { undo(); }

    float RightMargin() const { return m_rightMargin; }
    void SetRightMargin(float m) { m_rightMargin = m; }

    // On: lines wrap at the editor's width.  Off: each paragraph is one line.
    void SetWordWrap(bool on);
    bool WordWrap() const { return lineWrapMode() != QPlainTextEdit::NoWrap; }

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
    // Replaces the document.  With progress, a long text goes in slice by
    // slice, with a progress call after each; the editing area is read-only
    // meanwhile.  False when progress abandoned the load.
    bool SetDocument(Document doc, const Progress &progress = {});

    // Whether the text, formats or pictures changed since SetModified(false).
    // Replacing the document counts as a change: whoever replaces it says
    // whether the new one is saved somewhere.
    bool IsModified() const;
    void SetModified(bool on);
    // What a plain-text file cannot keep of the document as it stands, in
    // Chinese words ("颜色", "字体", "图片", "段落对齐"); empty when nothing.
    QStringList PlainTextLosses() const;

    // True while a load fills the editor: its text is not all there yet.
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

    // Position mapping, for code in this layer and its tests.
    int ToDocPos(int textPos, bool roundUp = false) const;
    int ToTextPos(int docPos) const;

protected:
    bool canInsertFromMimeData(const QMimeData *source) const override;
    void insertFromMimeData(const QMimeData *source) override;
    QMimeData *createMimeDataFromSelection() const override;
    void keyPressEvent(QKeyEvent *e) override;
    void paintEvent(QPaintEvent *e) override;

private:
    void ChangeSelFormat(const std::function<void(CharFormat &)> &change);
    QTextCharFormat InsertFormat() const;
    static bool IsTyping(const QKeyEvent *e);
    void FillDocument(const Document &doc, const Progress &progress, bool *abandoned);
    bool ShowDocument(Document doc, QString *error, const Progress &progress);

    TextMirror *m_mirror;
    LayerLayout *m_layout;
    FormatLayer *m_layer;
    float m_rightMargin = 0.0f;
    bool m_loading = false;
    bool m_formatsChanged = false;
    quint64 m_textChanges = 0;
    std::function<Progress()> m_progressMaker;
    std::function<void(const QString &)> m_notice;
};

// How much text goes into Qt's document at a time when a long text is
// loaded or pasted: a slice takes well under a tenth of a second.
inline constexpr int kSliceChars = 256 * 1024;

} // namespace lumora
