// The display half of the editing area: construction, painting, scrolling
// by pixels, the scroll bars and the caret's blinking.

#include "rich_text/text_view.h"

#include "rich_text/text_view_accessible.h"
#include "rich_text/view_layout.h"

#include <QApplication>
#include <QPainter>
#include <QPaintEvent>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QtMath>

namespace lumora {

namespace {
// Scroll bars count in int; past this the bar counts in steps of several
// pixels while the view keeps scrolling by single pixels.
constexpr qint64 kBarLimit = qint64(1) << 30;
constexpr int kHorizontalStep = 20;
} // namespace

TextView::TextView(QWidget *parent) : QAbstractScrollArea(parent), m_layout(std::make_unique<ViewLayout>(m_buffer))
{
    setAttribute(Qt::WA_InputMethodEnabled);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    // A vertical bar that came and went would change the wrap width and
    // make every shown paragraph be laid out again.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_layout->SetCaretWidth(style()->pixelMetric(QStyle::PM_TextCursorWidth, nullptr, this));
    m_layout->SetBaseFont(font());
    m_layout->SetWrapWidth(WrapWidth());
    m_buffer.SetListener([this](const EditBuffer::Change &c) { OnBufferChange(c); });
    m_buffer.SetSelectionListener([this] { OnSelectionChange(); });
    UpdateScrollBars();
}

TextView::~TextView()
{
    m_buffer.SetListener({});
    m_buffer.SetSelectionListener({});
}

int TextView::WrapWidth() const
{
    if (!m_wrap)
        return 0;
    const int caret = style()->pixelMetric(QStyle::PM_TextCursorWidth, nullptr, this);
    return std::max(1, viewport()->width() - 2 * kMargin - caret);
}

void TextView::SetBaseFont(const QFont &font)
{
    setFont(font);
    m_layout->SetBaseFont(font);
    ClampAnchor();
    FollowAnchor();
    UpdateScrollBars();
    viewport()->update();
}

void TextView::SetWordWrap(bool on)
{
    if (on == m_wrap)
        return;
    m_wrap = on;
    m_scrollX = 0;
    setHorizontalScrollBarPolicy(on ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
    m_layout->SetWrapWidth(WrapWidth());
    ClampAnchor();
    FollowAnchor();
    UpdateScrollBars();
    viewport()->update();
}

void TextView::SetReadOnly(bool on)
{
    m_readOnly = on;
    setAttribute(Qt::WA_InputMethodEnabled, !on);
    viewport()->update();
}

qint64 TextView::AnchorY() const
{
    return m_layout->ParagraphTop(m_anchorParagraph) + m_anchorOffset;
}

qint64 TextView::MaxScrollY() const
{
    return std::max<qint64>(0, m_layout->TotalHeight() + 2 * kMargin - viewport()->height());
}

void TextView::SetScrollY(qint64 y)
{
    y = std::clamp<qint64>(y, 0, MaxScrollY());
    m_scrollY = y;
    m_anchorParagraph = std::max(0, m_layout->Heights().ParagraphAt(std::max<qint64>(0, y - kMargin)).paragraph);
    m_anchorOffset = y - m_layout->ParagraphTop(m_anchorParagraph);
    m_syncingBars = true;
    verticalScrollBar()->setValue(int(y / m_barScale));
    m_syncingBars = false;
    viewport()->update();
}

void TextView::SetScrollX(int x)
{
    m_scrollX = std::clamp(x, 0, std::max(0, horizontalScrollBar()->maximum()));
    m_syncingBars = true;
    horizontalScrollBar()->setValue(m_scrollX);
    m_syncingBars = false;
    viewport()->update();
}

// After heights changed: the scroll offset is where the top paragraph is now.
void TextView::FollowAnchor()
{
    const qint64 y = AnchorY();
    const qint64 clamped = std::clamp<qint64>(y, 0, MaxScrollY());
    if (clamped != y) {
        SetScrollY(clamped);
    } else if (y != m_scrollY) {
        m_scrollY = y;
        m_syncingBars = true;
        verticalScrollBar()->setValue(int(y / m_barScale));
        m_syncingBars = false;
    }
}

// Keeps the offset within the top paragraph after it may have shrunk.
void TextView::ClampAnchor()
{
    m_anchorParagraph = std::clamp(m_anchorParagraph, 0, m_buffer.ParagraphCount() - 1);
    const int height = m_layout->Heights().Height(m_anchorParagraph);
    m_anchorOffset = std::min<qint64>(m_anchorOffset, kMargin + std::max(0, height - 1));
}

void TextView::UpdateScrollBars()
{
    m_barsPending = false;
    UpdateVerticalBar();
    m_syncingBars = true;
    QScrollBar *h = horizontalScrollBar();
    const int width = m_wrap ? 0 : qCeil(m_layout->ContentWidth()) + 2 * kMargin + 1 - viewport()->width();
    h->setRange(0, std::max(0, width));
    h->setPageStep(viewport()->width());
    h->setSingleStep(kHorizontalStep);
    m_scrollX = std::min(m_scrollX, h->maximum());
    h->setValue(m_scrollX);
    m_syncingBars = false;
}

// The vertical bar is always shown, so its range can change at any time
// without changing the viewport.
void TextView::UpdateVerticalBar()
{
    const qint64 max = MaxScrollY();
    m_barScale = max > kBarLimit ? (max + kBarLimit - 1) / kBarLimit : 1;
    m_syncingBars = true;
    QScrollBar *v = verticalScrollBar();
    v->setRange(0, int(max / m_barScale));
    v->setPageStep(int(std::max<qint64>(1, viewport()->height() / m_barScale)));
    v->setSingleStep(int(std::max<qint64>(1, m_layout->LineHeight() / m_barScale)));
    v->setValue(int(m_scrollY / m_barScale));
    m_syncingBars = false;
}

void TextView::scrollContentsBy(int dx, int dy)
{
    if (m_syncingBars)
        return;
    if (dy != 0) {
        const QScrollBar *v = verticalScrollBar();
        SetScrollY(v->value() == v->maximum() ? MaxScrollY() : qint64(v->value()) * m_barScale);
    }
    if (dx != 0)
        m_scrollX = horizontalScrollBar()->value();
    viewport()->update();
}

void TextView::resizeEvent(QResizeEvent *e)
{
    QAbstractScrollArea::resizeEvent(e);
    m_layout->SetWrapWidth(WrapWidth());
    ClampAnchor();
    FollowAnchor();
    UpdateScrollBars();
}

void TextView::paintEvent(QPaintEvent *e)
{
    const int height = viewport()->height();
    const qint64 total = m_layout->TotalHeight();
    const qreal width = m_layout->ContentWidth();
    // Rows estimated above what was on screen came into view: their
    // corrections move the window with the text, not the text.
    m_anchorOffset += m_layout->Prepare(AnchorY() - kMargin, height);
    FollowAnchor();
    QPainter painter(viewport());
    painter.fillRect(e->rect(), palette().brush(QPalette::Base));
    painter.setClipRect(e->rect());
    ViewLayout::PaintState state;
    state.selFrom = m_buffer.SelFrom();
    state.selTo = m_buffer.SelTo();
    state.caret = m_caretOn && hasFocus() && !m_readOnly ? m_buffer.Caret() : -1;
    state.selectionBack = palette().color(QPalette::Highlight);
    state.selectionText = palette().color(QPalette::HighlightedText);
    state.text = palette().color(QPalette::Text);
    m_layout->Paint(painter, m_scrollY - kMargin, height, m_scrollX - kMargin, state);
    if (total != m_layout->TotalHeight())
        UpdateVerticalBar();
    // The horizontal bar follows after this paint: a bar that appears
    // changes the viewport, which must not happen while painting.
    if (width != m_layout->ContentWidth() && !m_barsPending) {
        m_barsPending = true;
        QTimer::singleShot(0, this, [this] {
            if (m_barsPending)
                UpdateScrollBars();
        });
    }
}

void TextView::OnBufferChange(const EditBuffer::Change &change)
{
    if (change.whole) {
        m_anchorParagraph = 0;
        m_anchorOffset = 0;
        m_scrollX = 0;
    } else if (m_anchorParagraph >= change.firstParagraph + change.oldParagraphs) {
        m_anchorParagraph += change.newParagraphs - change.oldParagraphs;
    } else if (m_anchorParagraph >= change.firstParagraph + change.newParagraphs) {
        m_anchorParagraph = change.firstParagraph + std::max(0, change.newParagraphs - 1);
    }
    m_layout->OnChange(change);
    AnnounceChange(*this, change);
    ClampAnchor();
    FollowAnchor();
    UpdateScrollBars();
    RestartBlink();
    viewport()->update();
    emit BufferChanged();
}

void TextView::OnSelectionChange()
{
    RestartBlink();
    viewport()->update();
    AnnounceCaret(*this);
    updateMicroFocus();
    emit SelectionChanged();
}

QRect TextView::CaretRect() const
{
    const QRectF r = m_layout->CaretRect(m_buffer.Caret());
    const QPointF at = ToViewport(r.topLeft());
    return QRect(qFloor(at.x()), qFloor(at.y()), qCeil(r.width()), qCeil(r.height()));
}

QPointF TextView::ToDocument(QPointF viewportPoint) const
{
    return QPointF(viewportPoint.x() + m_scrollX - kMargin, viewportPoint.y() + qreal(AnchorY() - kMargin));
}

QPointF TextView::ToViewport(QPointF documentPoint) const
{
    return QPointF(documentPoint.x() - m_scrollX + kMargin, documentPoint.y() - qreal(AnchorY() - kMargin));
}

// The scroll offset that shows the caret, or -1 when it is shown already.
qint64 TextView::ScrollToShow(const QRectF &caret) const
{
    const qint64 height = viewport()->height();
    const qint64 top = qint64(caret.top()) + kMargin;
    const qint64 bottom = top + qCeil(caret.height());
    const qint64 y = AnchorY();
    if (bottom - top <= height) {
        if (top < y)
            return top <= kMargin ? 0 : top;
        if (bottom > y + height)
            return bottom - height;
    } else if (bottom <= y || top >= y + height) {
        // A line taller than the window (a picture): its foot, where the
        // caret's text stands.
        return bottom - height;
    }
    return -1;
}

void TextView::EnsureCaretVisible()
{
    // A window's worth above the caret is laid out first, so a view that
    // ends at the caret starts on measured heights; what else comes into
    // view may still move the caret: a few rounds settle it.
    const int caret = m_buffer.Caret();
    QRectF r = m_layout->CaretRect(caret);
    int p = m_buffer.Store().ParagraphAt(caret);
    for (qint64 above = qint64(r.top()) - m_layout->ParagraphTop(p); p > 0 && above < viewport()->height();) {
        --p;
        m_layout->Prepare(m_layout->ParagraphTop(p), 1);
        above += m_layout->Heights().Height(p);
    }
    FollowAnchor();
    r = m_layout->CaretRect(caret);
    for (int round = 0; round < 4; ++round) {
        const qint64 y = ScrollToShow(r);
        if (y < 0)
            break;
        SetScrollY(y);
        m_layout->Prepare(AnchorY() - kMargin, viewport()->height(), m_anchorParagraph);
        FollowAnchor();
        r = m_layout->CaretRect(caret);
    }
    UpdateScrollBars();
    if (!m_wrap) {
        const int width = viewport()->width() - 2 * kMargin;
        const int x = qFloor(r.left());
        if (x < m_scrollX)
            SetScrollX(std::max(0, x - width / 4));
        else if (x + qCeil(r.width()) > m_scrollX + width)
            SetScrollX(x + qCeil(r.width()) - width + width / 4);
    }
}

void TextView::RestartBlink()
{
    m_caretOn = true;
    const int period = QApplication::cursorFlashTime();
    if (hasFocus() && period > 0)
        m_blink.start(period / 2, this);
    else
        m_blink.stop();
}

void TextView::timerEvent(QTimerEvent *e)
{
    if (e->timerId() != m_blink.timerId()) {
        QAbstractScrollArea::timerEvent(e);
        return;
    }
    m_caretOn = !m_caretOn;
    viewport()->update(CaretRect().adjusted(-1, -1, 1, 1));
}

void TextView::focusInEvent(QFocusEvent *e)
{
    RestartBlink();
    viewport()->update();
    QAbstractScrollArea::focusInEvent(e);
}

void TextView::focusOutEvent(QFocusEvent *e)
{
    m_blink.stop();
    m_caretOn = false;
    viewport()->update();
    QAbstractScrollArea::focusOutEvent(e);
}

} // namespace lumora
