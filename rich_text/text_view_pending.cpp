// Stand-ins for the editing area's input half (keys, mouse, input methods,
// clipboard, drops, context menu) until its own files replace this one:
// each does what the base widget does, so the display can be built and
// tested on its own.  Remove this file when those files come in.

#include "rich_text/text_view.h"

#include <QMenu>
#include <QMimeData>

namespace lumora {

void TextView::Undo() { m_buffer.Undo(); }
void TextView::Redo() { m_buffer.Redo(); }
void TextView::Cut() {}
void TextView::CopySelection() const {}
void TextView::Paste() {}
void TextView::DeleteSelection() {}
void TextView::SelectAll() { m_buffer.SetSelection(0, m_buffer.Length()); }
QVariant TextView::inputMethodQuery(Qt::InputMethodQuery query) const { return QAbstractScrollArea::inputMethodQuery(query); }
QMimeData *TextView::CreateMimeDataFromSelection() const { return new QMimeData; }
bool TextView::CanInsertFromMimeData(const QMimeData *) const { return false; }
void TextView::InsertFromMimeData(const QMimeData *) {}
QMenu *TextView::CreateContextMenu() { return new QMenu(this); }
void TextView::keyPressEvent(QKeyEvent *e) { QAbstractScrollArea::keyPressEvent(e); }
void TextView::inputMethodEvent(QInputMethodEvent *e) { QAbstractScrollArea::inputMethodEvent(e); }
void TextView::mousePressEvent(QMouseEvent *e) { QAbstractScrollArea::mousePressEvent(e); }
void TextView::mouseMoveEvent(QMouseEvent *e) { QAbstractScrollArea::mouseMoveEvent(e); }
void TextView::mouseReleaseEvent(QMouseEvent *e) { QAbstractScrollArea::mouseReleaseEvent(e); }
void TextView::mouseDoubleClickEvent(QMouseEvent *e) { QAbstractScrollArea::mouseDoubleClickEvent(e); }
void TextView::contextMenuEvent(QContextMenuEvent *e) { QAbstractScrollArea::contextMenuEvent(e); }
void TextView::dragEnterEvent(QDragEnterEvent *e) { QAbstractScrollArea::dragEnterEvent(e); }
void TextView::dragMoveEvent(QDragMoveEvent *e) { QAbstractScrollArea::dragMoveEvent(e); }
void TextView::dropEvent(QDropEvent *e) { QAbstractScrollArea::dropEvent(e); }
bool TextView::event(QEvent *e) { return QAbstractScrollArea::event(e); }

} // namespace lumora
