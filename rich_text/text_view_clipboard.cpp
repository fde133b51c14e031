// The clipboard, drops and the context menu of the editing area, and what
// follows every selection or edit the user makes.
#include "rich_text/text_view.h"

#include "rich_text/text_view_accessible.h"
#include "rich_text/view_layout.h"

#include <QApplication>
#include <QClipboard>
#include <QTimer>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QStyleHints>
#include <QUrl>
#include <algorithm>

namespace lumora {

namespace {
// Longer than the repeat of a key held down, shorter than a reach for
// the middle button.
constexpr int kPrimaryOfferDelayMs = 100;
} // namespace

namespace {

// Files dragged from a file manager come as their addresses, which Qt would
// also offer as text.  They are neither text to insert nor documents to open
// (opening one would replace unsaved work without a word).
bool CarriesFiles(const QMimeData *source)
{
    const QList<QUrl> urls = source->urls();
    return std::any_of(urls.begin(), urls.end(), [](const QUrl &u) { return u.isLocalFile(); });
}

QString MenuText(const char *text, QKeySequence::StandardKey key)
{
    QString s = QCoreApplication::translate("QWidgetTextControl", text);
    if (key != QKeySequence::UnknownKey && QGuiApplication::styleHints()->showShortcutsInContextMenus())
        s += u'\t' + QKeySequence(key).toString(QKeySequence::NativeText);
    return s;
}

// One pass, however many breaks: replacing them one by one would move the
// rest of the text at each.
QString PlainText(QString raw)
{
    QChar *o = raw.data();
    const QChar *end = raw.constData() + raw.size();
    for (const QChar *i = raw.constData(); i < end; ++i) {
        if ((*i == u'\r' && i + 1 < end && i[1] == u'\n') || *i == QChar::ObjectReplacementCharacter)
            continue;
        *o++ = *i == QChar::LineSeparator ? QChar(u'\v') : *i;
    }
    raw.truncate(o - raw.constData());
    return raw;
}

} // namespace

void TextView::PrepareInput()
{
    if (m_inputPrepared)
        return;
    m_inputPrepared = true;
    InstallTextViewAccessible();
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
}

// The selection's text for other programs: breaks as line feeds, soft
// breaks as vertical tabs (as Ctrl+C has always given them), pictures left
// out.  Made when first read: on X11 each selection change is offered as the
// primary selection, and most offers are never read.  Until read it reads the
// widget, so once the text changed (or the widget is gone) it offers nothing
// rather than a stretch of other text.
class TextView::PlainSelection : public QMimeData
{
public:
    PlainSelection(const TextView &view)
        : m_view(&view), m_from(view.m_buffer.SelFrom()), m_to(view.m_buffer.SelTo()),
          m_changes(view.m_buffer.ChangeCount())
    {
    }
    bool hasFormat(const QString &mime) const override { return mime == QLatin1String("text/plain"); }
    QStringList formats() const override { return {QStringLiteral("text/plain")}; }

protected:
    QVariant retrieveData(const QString &mime, QMetaType type) const override
    {
        if (!hasFormat(mime))
            return QMimeData::retrieveData(mime, type);
        if (!m_built && m_view && m_view->m_buffer.ChangeCount() == m_changes) {
            m_text = PlainText(m_view->m_buffer.Store().Text(m_from, m_to - m_from));
            m_built = true;
        }
        return m_text;
    }

private:
    QPointer<const TextView> m_view;
    const int m_from, m_to;
    const quint64 m_changes;
    mutable bool m_built = false;
    mutable QString m_text;
};

QMimeData *TextView::CreateMimeDataFromSelection() const
{
    return new PlainSelection(*this);
}

bool TextView::CanInsertFromMimeData(const QMimeData *source) const
{
    return source && !CarriesFiles(source) && source->hasText() && !source->text().isEmpty();
}

void TextView::InsertFromMimeData(const QMimeData *source)
{
    if (CanInsertFromMimeData(source))
        m_buffer.ReplaceSelection(source->text());
}

void TextView::InsertFromMimeDataAt(const QMimeData *source, int pos)
{
    if (m_readOnly || !CanInsertFromMimeData(source))
        return;
    m_buffer.SetSelection(pos, pos);
    InsertFromMimeData(source);
    AfterUserEdit();
}

// What goes on the clipboard must outlive the text it was made from, so
// every format is read (and so made) now.  Text and HTML are read as
// strings: read as bytes, each would also be converted to UTF-8 only to be
// thrown away (hundreds of milliseconds for a whole listing).
QMimeData *TextView::CreateClipboardData() const
{
    QMimeData *data = CreateMimeDataFromSelection();
    for (const QString &format : data->formats()) {
        if (format == QLatin1String("text/plain"))
            data->text();
        else if (format == QLatin1String("text/html"))
            data->html();
        else
            data->data(format);
    }
    return data;
}

void TextView::CopySelection() const
{
    if (m_buffer.SelFrom() == m_buffer.SelTo())
        return;
    QGuiApplication::clipboard()->setMimeData(CreateClipboardData());
}

void TextView::Cut()
{
    if (m_readOnly || m_buffer.SelFrom() == m_buffer.SelTo())
        return;
    CopySelection();
    DeleteSelection();
}

void TextView::Paste()
{
    if (m_readOnly)
        return;
    const QMimeData *source = QGuiApplication::clipboard()->mimeData();
    if (!CanInsertFromMimeData(source))
        return;
    InsertFromMimeData(source);
    AfterUserEdit();
}

void TextView::DeleteSelection()
{
    if (m_readOnly || m_buffer.SelFrom() == m_buffer.SelTo())
        return;
    m_buffer.DeleteForward();
    AfterUserEdit();
}

void TextView::SelectAll()
{
    m_keptX = -1;
    m_buffer.SetSelection(0, m_buffer.Length());
    AfterUserSelection();
}

void TextView::Undo()
{
    if (m_readOnly || !m_buffer.CanUndo())
        return;
    m_buffer.Undo();
    AfterUserEdit();
}

void TextView::Redo()
{
    if (m_readOnly || !m_buffer.CanRedo())
        return;
    m_buffer.Redo();
    AfterUserEdit();
}

// On X11 what the user selects is at once the primary selection, which a
// middle-click elsewhere pastes.  The data are made only when read (see the
// subclass's hook), so offering a huge selection costs nothing.
void TextView::OfferPrimarySelection() const
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (m_buffer.SelFrom() != m_buffer.SelTo() && clipboard->supportsSelection())
        clipboard->setMimeData(CreateMimeDataFromSelection(), QClipboard::Selection);
}

// Assistive technology and the input method hear of every selection change
// from the buffer's listener; what follows only the user's own is here.
// The primary selection is offered once the selection has rested a moment:
// programs that read every primary selection at once (an input method's
// clipboard history does) would otherwise copy a whole listing at each
// Shift+arrow of a key held down.
void TextView::AfterUserSelection()
{
    if (!m_primaryOffer) {
        m_primaryOffer = new QTimer(this);
        m_primaryOffer->setSingleShot(true);
        m_primaryOffer->setInterval(kPrimaryOfferDelayMs);
        connect(m_primaryOffer, &QTimer::timeout, this, &TextView::OfferPrimarySelection);
    }
    m_primaryOffer->start();
    EnsureCaretVisible();
}

void TextView::AfterUserEdit()
{
    m_keptX = -1;
    AnnounceCaret(*this);
    EnsureCaretVisible();
    updateMicroFocus();
    viewport()->update();
}

QMenu *TextView::CreateContextMenu()
{
    const bool selected = m_buffer.SelFrom() != m_buffer.SelTo();
    auto *menu = new QMenu(this);
    const auto add = [menu](const char *text, QKeySequence::StandardKey key, const char *name, bool on, auto slot) {
        QAction *a = menu->addAction(MenuText(text, key), slot);
        a->setObjectName(QLatin1String(name));
        a->setEnabled(on);
    };
    if (!m_readOnly) {
        add("&Undo", QKeySequence::Undo, "edit-undo", m_buffer.CanUndo(), [this] { Undo(); });
        add("&Redo", QKeySequence::Redo, "edit-redo", m_buffer.CanRedo(), [this] { Redo(); });
        menu->addSeparator();
        add("Cu&t", QKeySequence::Cut, "edit-cut", selected, [this] { Cut(); });
    }
    add("&Copy", QKeySequence::Copy, "edit-copy", selected, [this] { CopySelection(); });
    if (!m_readOnly) {
        const bool canPaste = CanInsertFromMimeData(QGuiApplication::clipboard()->mimeData());
        add("&Paste", QKeySequence::Paste, "edit-paste", canPaste, [this] { Paste(); });
        add("Delete", QKeySequence::UnknownKey, "edit-delete", selected, [this] { DeleteSelection(); });
    }
    menu->addSeparator();
    add("Select All", QKeySequence::SelectAll, "select-all", m_buffer.Length() > 0, [this] { SelectAll(); });
    return menu;
}

void TextView::contextMenuEvent(QContextMenuEvent *e)
{
    QMenu *menu = CreateContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(e->globalPos());
}

void TextView::dragEnterEvent(QDragEnterEvent *e)
{
    if (m_readOnly || !CanInsertFromMimeData(e->mimeData())) {
        e->ignore();
        return;
    }
    e->acceptProposedAction();
}

void TextView::dragMoveEvent(QDragMoveEvent *e)
{
    if (m_readOnly || !CanInsertFromMimeData(e->mimeData())) {
        e->ignore();
        return;
    }
    e->acceptProposedAction();
}

// Dropped text goes in where it was dropped, as a step of its own.
void TextView::dropEvent(QDropEvent *e)
{
    if (m_readOnly || !CanInsertFromMimeData(e->mimeData())) {
        e->ignore();
        return;
    }
    const int pos = m_layout->PositionAt(ToDocument(e->position()));
    InsertFromMimeDataAt(e->mimeData(), pos);
    e->acceptProposedAction();
    setFocus(Qt::MouseFocusReason);
}

} // namespace lumora
