// Input methods in the editing area: text being composed is drawn at the
// caret without entering the document, a commit goes in as one typed edit
// (one undo step), and the queries tell the input method where the caret is
// so its candidate window opens beside it.
#include "rich_text/text_view.h"

#include "rich_text/view_layout.h"

#include <QInputMethodEvent>
#include <QTextCharFormat>

namespace lumora {

namespace {

// What an input method sees of the text around the caret: the caret's
// paragraph, cut to this many characters either side so that a line of
// millions of characters is not copied at each query.
constexpr int kSurrounding = 512;

struct Surrounding
{
    int from = 0;
    int to = 0;
};

Surrounding SurroundingOf(const EditBuffer &b)
{
    const TextStore &s = b.Store();
    const int caret = b.Caret();
    const int p = s.ParagraphAt(caret);
    return {std::max(s.ParagraphStart(p), caret - kSurrounding), std::min(s.ParagraphEnd(p), caret + kSurrounding)};
}

QList<QTextLayout::FormatRange> PreeditFormats(const QInputMethodEvent *e)
{
    QList<QTextLayout::FormatRange> formats;
    for (const QInputMethodEvent::Attribute &a : e->attributes()) {
        if (a.type != QInputMethodEvent::TextFormat)
            continue;
        const QTextCharFormat f = a.value.value<QTextFormat>().toCharFormat();
        if (f.isValid() && a.length > 0)
            formats.append({a.start, a.length, f});
    }
    if (formats.isEmpty() && !e->preeditString().isEmpty()) {
        // Composed text the input method did not style is underlined, so it
        // stands apart from the document's own.
        QTextCharFormat f;
        f.setUnderlineStyle(QTextCharFormat::SingleUnderline);
        formats.append({0, int(e->preeditString().size()), f});
    }
    return formats;
}

} // namespace

void TextView::inputMethodEvent(QInputMethodEvent *e)
{
    if (m_readOnly) {
        e->ignore();
        return;
    }
    const QString &commit = e->commitString();
    const QString &preedit = e->preeditString();
    const bool replaces = e->replacementLength() > 0;
    if (replaces) {
        const int c = m_buffer.Caret() + e->replacementStart();
        m_buffer.SetSelection(c, c + e->replacementLength());
    }
    if (!commit.isEmpty() || (replaces && m_buffer.SelFrom() != m_buffer.SelTo())) {
        m_buffer.Type(commit);
        AfterUserEdit();
    } else if (!preedit.isEmpty() && m_buffer.SelFrom() != m_buffer.SelTo()) {
        // Composing over a selection replaces it, as typing would.
        m_buffer.DeleteForward();
        AfterUserEdit();
    }
    int cursor = -1;
    for (const QInputMethodEvent::Attribute &a : e->attributes()) {
        if (a.type == QInputMethodEvent::Selection) {
            const int from = SurroundingOf(m_buffer).from;
            m_buffer.SetSelection(from + a.start, from + a.start + a.length);
        } else if (a.type == QInputMethodEvent::Cursor) {
            cursor = a.start;
        }
    }
    m_composing = !preedit.isEmpty();
    m_layout->SetPreedit(m_buffer.Caret(), preedit, PreeditFormats(e), cursor);
    viewport()->update();
    EnsureCaretVisible();
    updateMicroFocus();
    e->accept();
}

QVariant TextView::inputMethodQuery(Qt::InputMethodQuery query) const
{
    const Surrounding around = SurroundingOf(m_buffer);
    const TextStore &s = m_buffer.Store();
    const auto clip = [&](int pos) { return std::clamp(pos, around.from, around.to) - around.from; };
    switch (query) {
    case Qt::ImEnabled:
        return isEnabled() && !m_readOnly;
    case Qt::ImHints:
        return int(inputMethodHints() | Qt::ImhMultiLine);
    case Qt::ImCursorRectangle:
        return QRectF(CaretRect().translated(viewport()->pos()));
    case Qt::ImFont:
        return m_layout->BaseFont();
    case Qt::ImCursorPosition:
        return m_buffer.Caret() - around.from;
    case Qt::ImAnchorPosition:
        return clip(m_buffer.Anchor());
    case Qt::ImAbsolutePosition:
        return m_buffer.Caret();
    case Qt::ImSurroundingText:
        return s.Text(around.from, around.to - around.from);
    case Qt::ImCurrentSelection: {
        const int from = clip(m_buffer.SelFrom()), to = clip(m_buffer.SelTo());
        return s.Text(around.from + from, to - from);
    }
    case Qt::ImTextBeforeCursor:
        return s.Text(around.from, m_buffer.Caret() - around.from);
    case Qt::ImTextAfterCursor:
        return s.Text(m_buffer.Caret(), around.to - m_buffer.Caret());
    default:
        return QAbstractScrollArea::inputMethodQuery(query);
    }
}

} // namespace lumora
