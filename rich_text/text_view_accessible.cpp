#include "rich_text/text_view_accessible.h"

#include "document/text_boundaries.h"
#include "rich_text/text_view.h"
#include "rich_text/view_layout.h"

#include <QAccessibleWidget>

namespace lumora {

namespace {

// Longer texts are not handed over as the widget's value; readers walk
// them through the text interface.
constexpr int kValueChars = 1 << 20;

class TextViewAccessible : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit TextViewAccessible(TextView *view) : QAccessibleWidget(view, QAccessible::EditableText) {}

    void *interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.editable = !View().IsReadOnly();
        s.readOnly = View().IsReadOnly();
        s.multiLine = true;
        s.selectableText = true;
        s.focusable = true;
        return s;
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value && Buffer().Length() <= kValueChars)
            return Buffer().Text();
        return QAccessibleWidget::text(t);
    }

    void selection(int index, int *from, int *to) const override
    {
        const bool has = index == 0 && Buffer().SelFrom() != Buffer().SelTo();
        *from = has ? Buffer().SelFrom() : 0;
        *to = has ? Buffer().SelTo() : 0;
    }
    int selectionCount() const override { return Buffer().SelFrom() != Buffer().SelTo() ? 1 : 0; }
    void addSelection(int from, int to) override { setSelection(0, from, to); }
    void removeSelection(int index) override
    {
        if (index == 0)
            View().Buffer().SetSelection(Buffer().Caret(), Buffer().Caret());
    }
    void setSelection(int index, int from, int to) override
    {
        if (index == 0)
            View().Buffer().SetSelection(from, to);
    }
    int cursorPosition() const override { return Buffer().Caret(); }
    void setCursorPosition(int pos) override
    {
        View().Buffer().SetSelection(pos, pos);
        View().EnsureCaretVisible();
    }

    QString text(int from, int to) const override
    {
        from = std::clamp(from, 0, characterCount());
        to = std::clamp(to, from, characterCount());
        return Buffer().Store().Text(from, to - from);
    }
    int characterCount() const override { return Buffer().Length(); }

    QString textAtOffset(int offset, QAccessible::TextBoundaryType type, int *from, int *to) const override
    {
        return Answer(Unit(std::clamp(offset, 0, characterCount()), type), from, to);
    }
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType type, int *from, int *to) const override
    {
        const int start = Unit(std::clamp(offset, 0, characterCount()), type).from;
        if (start <= 0)
            return Answer({-1, -1}, from, to);
        return Answer(Unit(boundaries::PreviousCharacter(Buffer().Store(), start), type), from, to);
    }
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType type, int *from, int *to) const override
    {
        const int end = Unit(std::clamp(offset, 0, characterCount()), type).to;
        if (end >= characterCount())
            return Answer({-1, -1}, from, to);
        return Answer(Unit(end, type), from, to);
    }

    QRect characterRect(int offset) const override
    {
        const TextView &v = View();
        const QRectF at = v.Layout().CaretRect(offset);
        const QRectF next = v.Layout().CaretRect(boundaries::NextCharacter(Buffer().Store(), offset));
        const qreal width = qFuzzyCompare(next.y(), at.y()) && next.x() > at.x() ? next.x() - at.x() : 1;
        const QRect inView = QRectF(v.ToViewport(at.topLeft()), QSizeF(width, at.height())).toAlignedRect();
        return QRect(v.viewport()->mapToGlobal(inView.topLeft()), inView.size());
    }
    int offsetAtPoint(const QPoint &point) const override
    {
        const TextView &v = View();
        return v.Layout().PositionAt(v.ToDocument(QPointF(v.viewport()->mapFromGlobal(point))));
    }
    void scrollToSubstring(int from, int) override
    {
        View().SetScrollY(qint64(View().Layout().CaretRect(std::clamp(from, 0, characterCount())).top()));
    }
    QString attributes(int, int *from, int *to) const override
    {
        *from = 0;
        *to = characterCount();
        return QString();
    }

private:
    TextView &View() const { return *static_cast<TextView *>(widget()); }
    const EditBuffer &Buffer() const { return View().Buffer(); }

    QString Answer(boundaries::Range r, int *from, int *to) const
    {
        *from = r.from;
        *to = r.to;
        return r.from < 0 ? QString() : text(r.from, r.to);
    }

    // The unit of text holding pos; lines are the lines as shown.
    boundaries::Range Unit(int pos, QAccessible::TextBoundaryType type) const
    {
        const TextStore &s = Buffer().Store();
        switch (type) {
        case QAccessible::CharBoundary:
            return {pos, boundaries::NextCharacter(s, pos)};
        case QAccessible::WordBoundary:
            return boundaries::WordAt(s, pos);
        case QAccessible::LineBoundary: {
            const int end = View().Layout().LineEnd(pos);
            const bool last = end == s.ParagraphEnd(s.ParagraphAt(end));
            return {View().Layout().LineStart(pos), last ? boundaries::ParagraphAt(s, end).to : end};
        }
        case QAccessible::NoBoundary:
            return {0, characterCount()};
        default:
            return boundaries::ParagraphAt(s, pos);
        }
    }
};

QAccessibleInterface *MakeAccessible(const QString &className, QObject *object)
{
    if (className == QLatin1String("lumora::TextView") && object && object->isWidgetType())
        return new TextViewAccessible(static_cast<TextView *>(object));
    return nullptr;
}

} // namespace

void InstallTextViewAccessible()
{
    static bool installed = false;
    if (!installed) {
        installed = true;
        QAccessible::installFactory(MakeAccessible);
    }
}

void AnnounceCaret(TextView &view)
{
    if (!QAccessible::isActive())
        return;
    const EditBuffer &b = view.Buffer();
    if (b.SelFrom() != b.SelTo()) {
        QAccessibleTextSelectionEvent ev(&view, b.SelFrom(), b.SelTo());
        ev.setCursorPosition(b.Caret());
        QAccessible::updateAccessibility(&ev);
    }
    QAccessibleTextCursorEvent ev(&view, b.Caret());
    QAccessible::updateAccessibility(&ev);
}

// The removed text is gone by now; as Qt's own editors do, it is reported
// by its length.
void AnnounceChange(TextView &view, const EditBuffer::Change &c)
{
    if (!QAccessible::isActive())
        return;
    if (c.formatsOnly) {
        QAccessibleEvent ev(&view, QAccessible::TextAttributeChanged);
        QAccessible::updateAccessibility(&ev);
        return;
    }
    const int added = c.whole ? std::min(c.added, kValueChars) : c.added;
    const QString text = view.Buffer().Store().Text(c.pos, added);
    const QString old(c.whole ? 0 : c.removed, u' ');
    if (c.removed == 0 || c.whole) {
        QAccessibleTextInsertEvent ev(&view, c.pos, text);
        QAccessible::updateAccessibility(&ev);
    } else if (c.added == 0) {
        QAccessibleTextRemoveEvent ev(&view, c.pos, old);
        QAccessible::updateAccessibility(&ev);
    } else {
        QAccessibleTextUpdateEvent ev(&view, c.pos, old, text);
        QAccessible::updateAccessibility(&ev);
    }
}

} // namespace lumora
