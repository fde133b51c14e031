// Keys of the editing area: caret movement and selection, edits, and which
// keys the window's shortcuts must leave to the editor.
#include "rich_text/text_view.h"

#include "document/text_boundaries.h"
#include "rich_text/view_layout.h"

#include <QKeyEvent>
#include <algorithm>

namespace lumora {

namespace {

// A key that types its text (not a shortcut): Ctrl alone is a shortcut,
// Ctrl with Alt is AltGr on many layouts.
bool IsTyping(const QKeyEvent *e)
{
    const QString text = e->text();
    if (text.isEmpty())
        return false;
    const Qt::KeyboardModifiers mods = e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (mods == Qt::ControlModifier || (mods & Qt::MetaModifier))
        return false;
    const QChar c = text.at(0);
    return c.isPrint() || c == u'\t' || c.category() == QChar::Other_PrivateUse
        || (c.isHighSurrogate() && text.size() > 1 && text.at(1).isLowSurrogate());
}

// The keys a text editor claims from the window's shortcuts: plain and
// shifted keys that type or move, and the standard editing sequences.
bool IsCommonEditKey(const QKeyEvent *e)
{
    const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
    if (mods == Qt::NoModifier || mods == Qt::ShiftModifier) {
        if (e->key() < Qt::Key_Escape)
            return true;
        switch (e->key()) {
        case Qt::Key_Return: case Qt::Key_Enter: case Qt::Key_Delete: case Qt::Key_Home: case Qt::Key_End:
        case Qt::Key_Backspace: case Qt::Key_Left: case Qt::Key_Right: case Qt::Key_Up: case Qt::Key_Down:
        case Qt::Key_Tab: case Qt::Key_PageUp: case Qt::Key_PageDown:
            return true;
        default:
            return false;
        }
    }
    static const QKeySequence::StandardKey keys[] = {
        QKeySequence::Copy, QKeySequence::Paste, QKeySequence::Cut, QKeySequence::Redo, QKeySequence::Undo,
        QKeySequence::MoveToNextWord, QKeySequence::MoveToPreviousWord, QKeySequence::MoveToStartOfDocument,
        QKeySequence::MoveToEndOfDocument, QKeySequence::SelectNextWord, QKeySequence::SelectPreviousWord,
        QKeySequence::SelectStartOfLine, QKeySequence::SelectEndOfLine, QKeySequence::SelectStartOfDocument,
        QKeySequence::SelectEndOfDocument, QKeySequence::SelectAll, QKeySequence::DeleteStartOfWord,
        QKeySequence::DeleteEndOfWord};
    return std::any_of(std::begin(keys), std::end(keys), [e](QKeySequence::StandardKey k) { return e->matches(k); });
}

// Deleting to the end of a line takes the paragraph's rest, or its break
// when nothing is left before it.
int EndOfParagraph(const TextStore &s, int pos)
{
    const int end = s.ParagraphEnd(s.ParagraphAt(pos));
    return pos < end ? end : boundaries::NextCharacter(s, pos);
}

} // namespace

bool TextView::ShortcutWanted(QKeyEvent *e) const
{
    if (!IsCommonEditKey(e))
        return false;
    if (!m_readOnly)
        return true;
    // Read-only: only what moves, selects or copies is the editor's.
    return !IsTyping(e) && !e->matches(QKeySequence::Paste) && !e->matches(QKeySequence::Cut)
        && !e->matches(QKeySequence::Undo) && !e->matches(QKeySequence::Redo)
        && e->key() != Qt::Key_Backspace && e->key() != Qt::Key_Delete && e->key() != Qt::Key_Return
        && e->key() != Qt::Key_Enter;
}

bool TextView::event(QEvent *e)
{
    switch (e->type()) {
    case QEvent::Polish:
        PrepareInput();
        break;
    case QEvent::ShortcutOverride:
        if (ShortcutWanted(static_cast<QKeyEvent *>(e))) {
            e->accept();
            return true;
        }
        break;
    case QEvent::KeyPress: {
        // Tab types a tab here; the widget would move the focus on.
        auto *k = static_cast<QKeyEvent *>(e);
        if ((k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) && !m_readOnly
            && !(k->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            keyPressEvent(k);
            return true;
        }
        break;
    }
    default:
        break;
    }
    return QAbstractScrollArea::event(e);
}

void TextView::keyPressEvent(QKeyEvent *e)
{
    if (e->matches(QKeySequence::SelectAll)) {
        SelectAll();
    } else if (e->matches(QKeySequence::Copy)) {
        CopySelection();
    } else if (!KeyMoves(e) && (m_readOnly || !KeyEdits(e))) {
        e->ignore();
        return;
    }
    e->accept();
}

// The caret goes to pos, the anchor stays with extend; keepX keeps the x
// that Up and Down aim at.
void TextView::MoveCaret(int pos, bool extend, bool keepX)
{
    if (!keepX)
        m_keptX = -1;
    m_buffer.SetSelection(extend ? m_buffer.Anchor() : pos, pos);
    AfterUserSelection();
}

bool TextView::KeyMoves(QKeyEvent *e)
{
    using K = QKeySequence;
    const TextStore &s = m_buffer.Store();
    const int caret = m_buffer.Caret();
    const bool shift = e->modifiers() & Qt::ShiftModifier;
    const bool collapse = !shift && m_buffer.SelFrom() != m_buffer.SelTo();
    if (e->matches(K::MoveToNextChar) || e->matches(K::SelectNextChar))
        MoveCaret(collapse ? m_buffer.SelTo() : boundaries::NextCharacter(s, caret), shift);
    else if (e->matches(K::MoveToPreviousChar) || e->matches(K::SelectPreviousChar))
        MoveCaret(collapse ? m_buffer.SelFrom() : boundaries::PreviousCharacter(s, caret), shift);
    else if (e->matches(K::MoveToNextWord) || e->matches(K::SelectNextWord))
        MoveCaret(boundaries::NextWord(s, caret), shift);
    else if (e->matches(K::MoveToPreviousWord) || e->matches(K::SelectPreviousWord))
        MoveCaret(boundaries::PreviousWord(s, caret), shift);
    else if (e->matches(K::MoveToStartOfLine) || e->matches(K::SelectStartOfLine))
        MoveCaret(m_layout->LineStart(caret), shift);
    else if (e->matches(K::MoveToEndOfLine) || e->matches(K::SelectEndOfLine))
        MoveCaret(m_layout->LineEnd(caret), shift);
    else if (e->matches(K::MoveToStartOfDocument) || e->matches(K::SelectStartOfDocument))
        MoveCaret(0, shift);
    else if (e->matches(K::MoveToEndOfDocument) || e->matches(K::SelectEndOfDocument))
        MoveCaret(m_buffer.Length(), shift);
    else if (e->matches(K::MoveToNextLine) || e->matches(K::SelectNextLine)
             || e->matches(K::MoveToPreviousLine) || e->matches(K::SelectPreviousLine)) {
        if (m_keptX < 0)
            m_keptX = m_layout->CaretRect(caret).x();
        const bool down = e->matches(K::MoveToNextLine) || e->matches(K::SelectNextLine);
        MoveCaret(down ? m_layout->PositionBelow(caret, m_keptX) : m_layout->PositionAbove(caret, m_keptX), shift,
                  true);
    } else if (e->matches(K::MoveToNextPage) || e->matches(K::SelectNextPage)) {
        MovePage(true, shift);
    } else if (e->matches(K::MoveToPreviousPage) || e->matches(K::SelectPreviousPage)) {
        MovePage(false, shift);
    } else {
        return false;
    }
    return true;
}

// A page is the viewport's height: the text scrolls by it and the caret
// keeps its place in the window and its x.
void TextView::MovePage(bool down, bool extend)
{
    const int caret = m_buffer.Caret();
    const QRectF at = m_layout->CaretRect(caret);
    if (m_keptX < 0)
        m_keptX = at.x();
    const int page = std::max(1, viewport()->height());
    const qint64 target = qint64(at.center().y()) + (down ? page : -page);
    const qint64 y = std::clamp<qint64>(target, 0, std::max<qint64>(0, m_layout->TotalHeight() - 1));
    const int pos = m_layout->PositionAt(QPointF(m_keptX, qreal(y)));
    SetScrollY(m_scrollY + (down ? page : -page));
    MoveCaret(pos, extend, true);
}

// Edits by key; false for keys that are not edits.
bool TextView::KeyEdits(QKeyEvent *e)
{
    using K = QKeySequence;
    const bool selected = m_buffer.SelFrom() != m_buffer.SelTo();
    if (e->key() == Qt::Key_Backspace && !(e->modifiers() & ~Qt::ShiftModifier)) {
        m_buffer.DeleteBackward();
    } else if (e->matches(K::InsertParagraphSeparator) || e->matches(K::InsertLineSeparator)) {
        // Shift+Enter too starts a paragraph: the plain text holds CR LF
        // there, as a plain-text editor's user expects.
        m_buffer.InsertBreak();
    } else if (e->matches(K::Undo)) {
        Undo();
        return true;
    } else if (e->matches(K::Redo)) {
        Redo();
        return true;
    } else if (e->matches(K::Cut)) {
        Cut();
        return true;
    } else if (e->matches(K::Paste)) {
        Paste();
        return true;
    } else if (e->matches(K::Delete)) {
        m_buffer.DeleteForward();
    } else if (e->matches(K::Backspace)) {
        m_buffer.DeleteBackward();
    } else if (e->matches(K::DeleteStartOfWord) || e->matches(K::DeleteEndOfWord)
               || e->matches(K::DeleteEndOfLine)) {
        if (!selected) {
            const int c = m_buffer.Caret();
            const int to = e->matches(K::DeleteStartOfWord) ? boundaries::PreviousWord(m_buffer.Store(), c)
                : e->matches(K::DeleteEndOfWord)            ? boundaries::NextWord(m_buffer.Store(), c)
                                                            : EndOfParagraph(m_buffer.Store(), c);
            if (to == c)
                return true;
            m_buffer.SetSelection(c, to);
        }
        m_buffer.DeleteForward();
    } else if (IsTyping(e)) {
        m_buffer.Type(e->text());
    } else {
        return false;
    }
    AfterUserEdit();
    return true;
}

} // namespace lumora
