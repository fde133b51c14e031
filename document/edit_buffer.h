#pragma once

#include "document/document.h"
#include "document/text_store.h"

#include <QString>
#include <QVector>
#include <functional>
#include <memory>
#include <vector>

namespace lumora {

class EditHistory;

// The document being edited, without any widget: its text and formats (a
// TextStore), its pictures and paragraph alignments, the selection, the one
// undo history of text, formats and pictures, and the rules that decide which
// format typed text takes.  The editing area draws from it and turns keys,
// mouse and input-method events into its operations; everything else (open,
// save, find, the colouring pass, the font dialog) works on it through the
// editing area's own interface.
//
// Positions are text positions: every paragraph break is CR LF, a soft line
// break U+2028, a picture U+FFFC whose format names the picture.  A position
// never rests between the CR and the LF of a break: the selection and every
// edit are moved off that middle (see TextStore).
//
// Undo steps are those users of the editor know, built as its history built
// them (see EditHistory): typing at the caret in one format is one step, and
// goes on with a replaced selection or a one-line paste right before it; a
// run of Backspace or of Delete is one step over text that went in together
// in one format; Enter, a picture, a change of formats and a colouring pass
// are a step each; Enter on an empty line first makes its paragraph
// left-aligned as a step of its own, and does only that when it was not;
// BeginStep/EndStep group anything into one.  Setting the document empties
// the history; after SetModified(false) the next edit starts a new step.
// Undo and redo put the caret where the editor put it; undoing a change of
// formats alone leaves the selection as it is.
class EditBuffer
{
public:
    // What changed: [pos, pos + removed) of the old text is now
    // [pos, pos + added); formatsOnly when no character changed (then
    // removed == added is the stretch whose formats changed).  Paragraphs:
    // paragraphs [firstParagraph, firstParagraph + oldParagraphs) of the old
    // text are now [firstParagraph, firstParagraph + newParagraphs).
    struct Change
    {
        int pos = 0;
        int removed = 0;
        int added = 0;
        int firstParagraph = 0;
        int oldParagraphs = 0;
        int newParagraphs = 0;
        bool formatsOnly = false;
        bool whole = false;   // the whole document was replaced
    };
    using Listener = std::function<void(const Change &)>;
    using FormatChange = std::function<void(CharFormat &)>;
    using Painter = std::function<void(const QString &text, RunList &runs, FormatTable &formats)>;

    EditBuffer();
    ~EditBuffer();
    EditBuffer(const EditBuffer &) = delete;
    EditBuffer &operator=(const EditBuffer &) = delete;

    // Called after every change of text, formats or pictures (undo and redo
    // included); one listener, the editing area.
    void SetListener(Listener listener) { m_listener = std::move(listener); }
    // Called when the selection changed (not for a change of text that only
    // moved it).
    void SetSelectionListener(std::function<void()> listener) { m_selectionListener = std::move(listener); }

    const TextStore &Store() const { return m_store; }
    int Length() const { return m_store.Length(); }
    int ParagraphCount() const { return m_store.ParagraphCount(); }
    const QVector<Picture> &Pictures() const { return m_pictures; }
    Align AlignOf(int paragraph) const;
    // Paragraph number -> alignment, rising, non-left only.
    const QVector<QPair<int, Align>> &Aligns() const { return m_aligns; }
    // The whole text (soft breaks as U+2028), built when first asked for
    // after a change and kept until the next one.
    const QString &Text() const;

    // The whole document, and a stretch of it as a document of its own.
    Document Snapshot() const;
    Document Excerpt(int from, int to) const;
    // Replaces everything; the history empties, the selection goes to 0.
    void SetDocument(Document doc);
    // The same with the text, runs and formats already in a store (as a
    // large file is read); doc gives the pictures, alignments and omitted
    // parts, its own text is ignored.
    void SetDocument(Document doc, TextStore text);

    // The selection: anchor stays, caret moves.  Both are clamped and moved
    // off the middle of a break.  Setting it forgets a pending format, even
    // when the caret stays where it was (call it only when the caret is
    // placed, not for keys that leave it).
    int Caret() const { return m_caret; }
    int Anchor() const { return m_anchor; }
    int SelFrom() const { return std::min(m_caret, m_anchor); }
    int SelTo() const { return std::max(m_caret, m_anchor); }
    void SetSelection(int anchor, int caret);

    // Edits of the user at the selection.
    void Type(const QString &text);        // keys and input-method commits
    void InsertBreak();                    // Enter
    void DeleteBackward();                 // Backspace: the selection, or the character (a whole break, a whole surrogate pair) before the caret
    void DeleteForward();                  // Delete (the caret stays, and so does a pending format)
    // Puts text (any line breaks become CR LF) in place of the selection as a
    // step of its own, in the format typed text would take; the caret ends
    // after it.
    void ReplaceSelection(const QString &text);
    void InsertPicture(Picture picture);

    // The format text typed at the caret takes now.
    int CursorFormat() const;
    // Changes the formats of the selection, or with nothing selected the
    // format typed next (pending until the caret moves).
    void ChangeSelectionFormat(const FormatChange &change);
    // Formats all over the document as one step (a colouring pass).
    void Paint(const Painter &painter);
    // The same, the painter called on the text in pieces of whole
    // paragraphs (about pieceChars characters each, in order, each with its
    // own runs from 0), so that neither the whole text nor all its runs are
    // ever copied at once.  A false from the painter abandons the pass and
    // leaves the document as it was; returns whether the pass was done.
    // ahead, if given, gets each piece's text before the painter gets the
    // piece before it, so that work on it can start early.
    using PiecePainter = std::function<bool(const QString &text, RunList &runs, FormatTable &formats)>;
    bool PaintByParagraphs(const PiecePainter &painter, int pieceChars = 1 << 20,
                           const std::function<void(const QString &next)> &ahead = {});

    // Everything between these is one undo step; they nest.
    void BeginStep();
    void EndStep();
    bool CanUndo() const;
    bool CanRedo() const;
    void Undo();
    void Redo();
    // Off: edits are not recorded (while a document is loaded).
    void SetUndoEnabled(bool on);

    // Grows with every change of text, formats or pictures, undo and redo
    // included; never returns to an earlier value.
    quint64 ChangeCount() const { return m_changes; }
    bool IsModified() const { return m_modified; }
    void SetModified(bool on);

private:
    class HistoryTarget;

    int InheritedAt(int q) const;
    // The one way text changes: [from, to) (snapped) gives way to text in
    // one format, recorded as the history's entries; returns where the new
    // text ends.
    int Edit(int from, int to, const QString &text, int format);
    void RemoveSelectionOrRange(int from, int to);
    // Makes the selected paragraphs left-aligned as a step; whether any was not.
    bool ResetAligns();
    // Paragraph alignments around a change of text.
    std::vector<QPair<int, quint8>> TakeAligns(int from, int to);
    std::vector<QPair<int, quint8>> AlignsOf(int first, int last) const;
    void GiveAligns(int paragraph, int breaks, const std::vector<QPair<int, quint8>> *saved);
    void ReplaceAligns(int first, int oldCount, const std::vector<Align> &now);
    void Report(int pos, int removed, int added, int firstParagraph, int oldParagraphs, bool formatsOnly);
    void AfterEdit();
    void DocumentSet(Document &doc, int oldLength, int oldParagraphs);
    void CommitPaint(TextStore::ChunkRuns chunks);
    void UpdateModified();

    TextStore m_store;
    QVector<Picture> m_pictures;
    QVector<QPair<int, Align>> m_aligns;
    quint8 m_omitted = 0;
    std::unique_ptr<EditHistory> m_history;
    Listener m_listener;
    std::function<void()> m_selectionListener;
    int m_caret = 0;
    int m_anchor = 0;
    int m_pending = -1;
    int m_initial = 0;
    quint64 m_changes = 0;
    bool m_modified = false;
    bool m_formatsChanged = false;   // since SetModified(false); the history knows about the text
    mutable QString m_text;
    mutable bool m_textValid = false;
};

} // namespace lumora
