#pragma once

#include "document/edit_buffer.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QElapsedTimer>
#include <QPoint>
#include <memory>

class QMimeData;
class QMenu;
class QTimer;

namespace lumora {

class ViewLayout;

// The editing area's widget: draws an EditBuffer through a ViewLayout,
// scrolls by pixels, and turns keys, mouse, input methods, the clipboard and
// drops into the buffer's operations.  It holds no text of its own.
//
// Subclasses decide what the clipboard gets and what a paste or drop puts in
// (the three mime hooks), as QPlainTextEdit lets its subclasses do.
class TextView : public QAbstractScrollArea
{
    Q_OBJECT
public:
    explicit TextView(QWidget *parent = nullptr);
    ~TextView() override;

    EditBuffer &Buffer() { return m_buffer; }
    const EditBuffer &Buffer() const { return m_buffer; }
    ViewLayout &Layout() { return *m_layout; }
    const ViewLayout &Layout() const { return *m_layout; }

    void SetBaseFont(const QFont &font);
    void SetWordWrap(bool on);
    bool WordWrap() const { return m_wrap; }
    void SetReadOnly(bool on);
    bool IsReadOnly() const { return m_readOnly; }

    // Scroll offset in pixels: the row at the viewport's top, counted in
    // the document with a kMargin edge above it (ToDocument converts).
    qint64 ScrollY() const { return m_scrollY; }
    void SetScrollY(qint64 y);
    void EnsureCaretVisible();
    // The caret's rectangle in viewport coordinates.
    QRect CaretRect() const;

    // The edit commands of the context menu and their keys.
    void Undo();
    void Redo();
    void Cut();
    void CopySelection() const;
    void Paste();
    void DeleteSelection();
    void SelectAll();

    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

    // Display: the blank edge around the text, the horizontal offset (no
    // wrapping), and viewport <-> document pixels (see ViewLayout).
    static constexpr int kMargin = 4;
    int ScrollX() const { return m_scrollX; }
    void SetScrollX(int x);
    QPointF ToDocument(QPointF viewportPoint) const;
    QPointF ToViewport(QPointF documentPoint) const;

signals:
    void SelectionChanged();   // the selection or the caret moved
    // After every change of text, formats or pictures (undo and redo
    // included), once the display has followed it: the buffer's one
    // listener is the view.
    void BufferChanged();

protected:
    virtual QMimeData *CreateMimeDataFromSelection() const;
    // What Ctrl+C and Cut put on the clipboard: data that outlive later
    // edits.  By default the selection's data, each format read at once.
    virtual QMimeData *CreateClipboardData() const;
    virtual bool CanInsertFromMimeData(const QMimeData *source) const;
    virtual void InsertFromMimeData(const QMimeData *source);
    // The context menu; the caller owns it.
    QMenu *CreateContextMenu();

    void paintEvent(QPaintEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent *e) override;
    void inputMethodEvent(QInputMethodEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void contextMenuEvent(QContextMenuEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;
    void dragEnterEvent(QDragEnterEvent *e) override;
    void dragMoveEvent(QDragMoveEvent *e) override;
    void dropEvent(QDropEvent *e) override;
    void timerEvent(QTimerEvent *e) override;
    bool event(QEvent *e) override;

private:
    void OnBufferChange(const EditBuffer::Change &change);
    void UpdateScrollBars();

    EditBuffer m_buffer;
    std::unique_ptr<ViewLayout> m_layout;
    qint64 m_scrollY = 0;
    bool m_wrap = true;
    bool m_readOnly = false;

    // display state: the scroll offset follows the paragraph at the top of
    // the window, so heights corrected above it do not move the text
    qint64 AnchorY() const;
    qint64 MaxScrollY() const;
    qint64 ScrollToShow(const QRectF &caret) const;
    int WrapWidth() const;
    void FollowAnchor();
    void UpdateVerticalBar();
    void ClampAnchor();
    void RestartBlink();
    void OnSelectionChange();
    int m_anchorParagraph = 0;
    qint64 m_anchorOffset = 0;
    int m_scrollX = 0;
    qint64 m_barScale = 1;
    QBasicTimer m_blink;
    bool m_caretOn = false;
    bool m_syncingBars = false;
    bool m_barsPending = false;

    // input state (keys, mouse, input methods, clipboard)
    class PlainSelection;
    bool KeyEdits(QKeyEvent *e);
    bool KeyMoves(QKeyEvent *e);
    bool ShortcutWanted(QKeyEvent *e) const;
    void MoveCaret(int pos, bool extend, bool keepX = false);
    void MovePage(bool down, bool extend);
    void AfterUserSelection();
    void AfterUserEdit();
    void OfferPrimarySelection() const;
    void InsertFromMimeDataAt(const QMimeData *source, int pos);
    void ExtendDragTo(QPoint viewportPoint);
    void AutoScrollStep();
    void PrepareInput();

    qreal m_keptX = -1;           // the x Up/Down keep, -1 when none
    bool m_dragSelecting = false;
    bool m_byWords = false;       // a drag begun by a double-click
    int m_wordFrom = 0, m_wordTo = 0;
    QPoint m_lastMouse;
    QPoint m_doubleClickPoint;
    QElapsedTimer m_sinceDoubleClick;
    QTimer *m_autoScroll = nullptr;
    QTimer *m_primaryOffer = nullptr;
    bool m_inputPrepared = false;
    bool m_composing = false;     // an input method's pre-edit is shown
};

} // namespace lumora
