// The mouse in the editing area: clicks place the caret, drags select (by
// words after a double-click), a triple-click takes the paragraph, and the
// middle button pastes the primary selection where X11 has one.
#include "rich_text/text_view.h"

#include "document/text_boundaries.h"
#include "rich_text/view_layout.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethod>
#include <QMouseEvent>
#include <QStyleHints>
#include <QTimer>

namespace lumora {

namespace {
constexpr int kAutoScrollMs = 50;
} // namespace

void TextView::mousePressEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton) {
        e->ignore();
        return;
    }
    // A click ends the composing: what was composed goes in where it was.
    if (m_composing)
        QGuiApplication::inputMethod()->commit();
    const QPoint at = e->position().toPoint();
    const int pos = m_layout->PositionAt(ToDocument(at));
    m_lastMouse = at;
    m_dragSelecting = true;
    m_byWords = false;
    const bool triple = m_sinceDoubleClick.isValid()
        && m_sinceDoubleClick.elapsed() < QGuiApplication::styleHints()->mouseDoubleClickInterval()
        && (at - m_doubleClickPoint).manhattanLength() < QApplication::startDragDistance();
    m_sinceDoubleClick.invalidate();
    if (triple) {
        const boundaries::Range p = boundaries::ParagraphAt(m_buffer.Store(), pos);
        m_buffer.SetSelection(p.from, p.to);
        m_dragSelecting = false;
        m_keptX = -1;
        AfterUserSelection();
        return;
    }
    MoveCaret(pos, e->modifiers() & Qt::ShiftModifier);
}

void TextView::mouseDoubleClickEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton) {
        e->ignore();
        return;
    }
    const QPoint at = e->position().toPoint();
    const boundaries::Range w = boundaries::WordAt(m_buffer.Store(), m_layout->PositionAt(ToDocument(at)));
    m_doubleClickPoint = at;
    m_sinceDoubleClick.start();
    m_byWords = true;
    m_dragSelecting = true;
    m_wordFrom = w.from;
    m_wordTo = w.to;
    m_keptX = -1;
    m_buffer.SetSelection(w.from, w.to);
    AfterUserSelection();
}

// The selection runs from where the drag began to the point; after a
// double-click it takes whole words at both ends.
void TextView::ExtendDragTo(QPoint viewportPoint)
{
    int pos = m_layout->PositionAt(ToDocument(viewportPoint));
    int anchor = m_buffer.Anchor();
    if (m_byWords) {
        const boundaries::Range w = boundaries::WordAt(m_buffer.Store(), pos);
        if (pos < m_wordFrom) {
            anchor = m_wordTo;
            pos = w.from;
        } else {
            anchor = m_wordFrom;
            pos = std::max(w.to, m_wordTo);
        }
    }
    m_keptX = -1;
    m_buffer.SetSelection(anchor, pos);
    EnsureCaretVisible();
}

void TextView::mouseMoveEvent(QMouseEvent *e)
{
    if (!m_dragSelecting || !(e->buttons() & Qt::LeftButton)) {
        e->ignore();
        return;
    }
    m_lastMouse = e->position().toPoint();
    const bool outside = !viewport()->rect().contains(m_lastMouse);
    if (outside && !m_autoScroll) {
        m_autoScroll = new QTimer(this);
        connect(m_autoScroll, &QTimer::timeout, this, &TextView::AutoScrollStep);
    }
    if (m_autoScroll) {
        if (outside && !m_autoScroll->isActive())
            m_autoScroll->start(kAutoScrollMs);
        else if (!outside)
            m_autoScroll->stop();
    }
    ExtendDragTo(m_lastMouse);
}

namespace {
// How far a point lies before (negative) or past the stretch [0, size).
int Beyond(int at, int size)
{
    return at < 0 ? at : at >= size ? at - size + 1 : 0;
}
} // namespace

// While a drag is held past an edge, the text scrolls towards it (sideways
// only when lines do not wrap), faster the farther the pointer is, and the
// selection follows.
void TextView::AutoScrollStep()
{
    if (!m_dragSelecting || !(QGuiApplication::mouseButtons() & Qt::LeftButton)) {
        m_autoScroll->stop();
        return;
    }
    const int w = viewport()->width(), h = viewport()->height();
    const int dy = std::clamp(Beyond(m_lastMouse.y(), h), -h, h);
    const int dx = m_wrap ? 0 : std::clamp(Beyond(m_lastMouse.x(), w), -w, w);
    if (dx == 0 && dy == 0)
        return;
    if (dy != 0)
        SetScrollY(m_scrollY + dy);
    if (dx != 0)
        SetScrollX(ScrollX() + dx);
    ExtendDragTo(QPoint(std::clamp(m_lastMouse.x(), 0, std::max(0, w - 1)),
                        std::clamp(m_lastMouse.y(), 0, std::max(0, h - 1))));
}

void TextView::mouseReleaseEvent(QMouseEvent *e)
{
    if (m_autoScroll)
        m_autoScroll->stop();
    if (e->button() == Qt::LeftButton && m_dragSelecting) {
        m_dragSelecting = false;
        AfterUserSelection();
        return;
    }
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (e->button() == Qt::MiddleButton && !m_readOnly && clipboard->supportsSelection()) {
        const int pos = m_layout->PositionAt(ToDocument(e->position()));
        InsertFromMimeDataAt(clipboard->mimeData(QClipboard::Selection), pos);
        return;
    }
    e->ignore();
}

} // namespace lumora
