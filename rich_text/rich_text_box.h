#pragma once

#include "ole_color.h"
#include "text_mirror.h"

#include <QPlainTextEdit>
#include <QVector>

namespace lumora {

// One stretch of text to colour, in text positions (CR LF counts two).
struct ColorRun
{
    int start = 0;
    int length = 0;
    OleColor color = 0;
};

// The editing area.  Callers see the operations of a rich-edit control under
// its member names, with positions and lengths counted in the plain text in
// which every line break is CR LF; this class alone maps them onto Qt's
// document positions.
class RichTextBox : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit RichTextBox(QWidget *parent = nullptr);

    // The font a new editing area starts with.
    static QFont DefaultFont();

    // Whole text, lines separated by CR LF.  Cheap: kept up to date as the
    // document changes.
    QString Text() const { return m_mirror.Text(); }
    int TextLength() const { return m_mirror.Length(); }
    // The text case-folded character by character (same positions as Text).
    const QString &FoldedText() const { return m_mirror.Folded(); }

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

    OleColor SelColor() const;
    void SetSelColor(OleColor color);
    void SetSelFontName(const QString &name);
    void SetSelFontSize(float points);
    void SetSelBold(bool on);
    void SetSelItalic(bool on);
    void SetSelStrikeThru(bool on);
    void SetSelUnderline(bool on);

    // Colours many runs in one undo step.  Runs are applied in order, so a
    // later run overrides an earlier one where they overlap.
    void ApplyColorRuns(const QVector<ColorRun> &runs);

    // Keyboard focus here, bringing this editor's window to the front.
    void SetFocus();
    void Undo() { undo(); }

    float RightMargin() const { return m_rightMargin; }
    void SetRightMargin(float m) { m_rightMargin = m; }
    int WidthTwips() const { return width() * 15; }

    // On: lines wrap at the editor's width.  Off: each paragraph is one line.
    void SetWordWrap(bool on);
    bool WordWrap() const { return lineWrapMode() != QPlainTextEdit::NoWrap; }

    // Inserts a picture at the caret at its natural size.
    void InsertPicture(const QImage &image);

    // The whole document as RTF; never empty, even for an empty document.
    QByteArray TextRTF() const;
    // Replaces the document with an RTF document; the empty text empties it
    // (text, formatting and pictures).  On unreadable RTF returns false,
    // sets *error and leaves the document as it was.
    bool SetTextRTF(const QByteArray &rtf, QString *error = nullptr);
    // Loading by file name: RTF content as rich text, anything else as GBK
    // plain text.  On failure returns false with a Chinese reason naming
    // the file, and the document stays as it was.
    bool LoadFile(const QString &path, QString *error);
    // Writes the document as RTF, atomically.
    bool SaveFile(const QString &path, QString *error) const;

    // Selects [start, start+length) in text positions.
    void Select(int start, int length);

    // Position mapping, for code in this layer and its tests.
    int ToDocPos(int textPos, bool roundUp = false) const { return m_mirror.ToDocPos(textPos, roundUp); }
    int ToTextPos(int docPos) const { return m_mirror.ToTextPos(docPos); }

protected:
    bool canInsertFromMimeData(const QMimeData *source) const override;
    void insertFromMimeData(const QMimeData *source) override;
    void keyPressEvent(QKeyEvent *e) override;

private:
    void MergeSelFormat(const QTextCharFormat &fmt);
    bool LoadBytes(const QByteArray &bytes, QString *error);

    TextMirror m_mirror;
    float m_rightMargin = 0.0f;
};

// Line breaks of any kind (CR LF, LF, CR) become paragraph breaks, which is
// what the editor's own insertion expects (it would turn CR LF into two).
QString NormalizeLineBreaks(const QString &text);

} // namespace lumora
