#include "document/edit_buffer.h"

#include <algorithm>

namespace lumora {

// The history is filled in by the undo work; until then it records nothing.
class EditHistory
{
};

EditBuffer::EditBuffer() : m_history(std::make_unique<EditHistory>()) {}
EditBuffer::~EditBuffer() = default;

Align EditBuffer::AlignOf(int paragraph) const
{
    for (const auto &a : m_aligns) {
        if (a.first == paragraph)
            return a.second;
    }
    return Align::Left;
}

const QString &EditBuffer::Text() const
{
    if (!m_textValid) {
        m_text = m_store.Text();
        m_textValid = true;
    }
    return m_text;
}

Document EditBuffer::Snapshot() const
{
    Document d = m_store.ToDocument();
    d.pictures = m_pictures;
    d.aligns = m_aligns;
    d.omitted = m_omitted;
    return d;
}

Document EditBuffer::Excerpt(int from, int to) const
{
    from = m_store.SnapDown(std::clamp(from, 0, Length()));
    to = m_store.SnapUp(std::clamp(to, from, Length()));
    Document d;
    d.text = m_store.Text(from, to - from);
    d.runs = m_store.Runs(from, to);
    d.formats = m_store.Formats();
    d.pictures = m_pictures;
    return d;
}

void EditBuffer::SetDocument(Document doc)
{
    Change c;
    c.removed = Length();
    c.oldParagraphs = ParagraphCount();
    m_store.Load(doc);
    m_pictures = std::move(doc.pictures);
    m_aligns = std::move(doc.aligns);
    m_omitted = doc.omitted;
    m_caret = m_anchor = 0;
    m_pending = -1;
    m_initial = Length() > 0 ? m_store.Formats().WithoutPicture(m_store.FormatAt(0)) : 0;
    m_textValid = false;
    ++m_changes;
    c.added = Length();
    c.newParagraphs = ParagraphCount();
    c.whole = true;
    if (m_listener)
        m_listener(c);
}

void EditBuffer::SetSelection(int anchor, int caret)
{
    const int n = Length();
    const int a = m_store.SnapDown(std::clamp(anchor, 0, n));
    const int c = m_store.SnapDown(std::clamp(caret, 0, n));
    if (c != m_caret)
        m_pending = -1;
    if (a == m_anchor && c == m_caret)
        return;
    m_anchor = a;
    m_caret = c;
    if (m_selectionListener)
        m_selectionListener();
}

int EditBuffer::CursorFormat() const
{
    if (m_pending >= 0)
        return m_pending;
    const int q = SelFrom();
    if (q == 0 || Length() == 0)
        return q < Length() ? m_store.FormatAt(0) : m_initial;
    return m_store.FormatAt(q - 1);
}

void EditBuffer::Type(const QString &text) { ReplaceSelection(text); }
void EditBuffer::InsertBreak() { ReplaceSelection(QStringLiteral("\r\n")); }

void EditBuffer::DeleteBackward()
{
    if (m_caret == m_anchor && m_caret > 0)
        m_anchor = m_store.SnapDown(m_caret - 1);
    ReplaceSelection(QString());
}

void EditBuffer::DeleteForward()
{
    if (m_caret == m_anchor && m_caret < Length())
        m_anchor = m_store.SnapUp(m_caret + 1);
    ReplaceSelection(QString());
}

void EditBuffer::ReplaceSelection(const QString &text)
{
    const int from = SelFrom(), to = SelTo();
    const int format = CursorFormat();
    Change c;
    c.pos = from;
    c.removed = to - from;
    c.firstParagraph = m_store.ParagraphAt(from);
    c.oldParagraphs = m_store.ParagraphAt(to) - c.firstParagraph + 1;
    const TextStore::Span s = m_store.Replace(from, to, text, RunList(int(text.size()), format));
    c.pos = s.from;
    c.added = s.to - s.from;
    c.newParagraphs = m_store.ParagraphAt(s.to) - c.firstParagraph + 1;
    m_caret = m_anchor = s.to;
    m_pending = -1;
    m_textValid = false;
    ++m_changes;
    m_modified = true;
    if (m_listener)
        m_listener(c);
}

void EditBuffer::InsertPicture(Picture picture)
{
    m_pictures.append(std::move(picture));
    CharFormat f = m_store.Formats().At(CursorFormat());
    f.picture = int(m_pictures.size()) - 1;
    m_pending = m_store.Formats().Id(f);
    const int format = m_pending;
    const int from = SelFrom(), to = SelTo();
    m_store.Replace(from, to, QString(QChar(0xFFFC)), RunList(1, format));
    m_caret = m_anchor = from + 1;
    m_pending = -1;
    m_textValid = false;
    ++m_changes;
    m_modified = true;
    if (m_listener)
        m_listener(Change{from, to - from, 1, m_store.ParagraphAt(from), 1, 1, false, false});
}

void EditBuffer::ChangeSelectionFormat(const FormatChange &change)
{
    if (SelFrom() == SelTo()) {
        CharFormat f = m_store.Formats().At(CursorFormat());
        change(f);
        m_pending = m_store.Formats().Id(f);
        return;
    }
    const RunList before = m_store.Runs(SelFrom(), SelTo());
    RunList after;
    int at = 0;
    for (const FormatRun &r : before.Runs()) {
        CharFormat f = m_store.Formats().At(r.format);
        change(f);
        after.Append(r.end - at, m_store.Formats().Id(f));
        at = r.end;
    }
    const int from = SelFrom();
    int start = 0;
    for (const FormatRun &r : after.Runs()) {
        m_store.SetFormat(from + start, from + r.end, r.format);
        start = r.end;
    }
    ++m_changes;
    m_modified = true;
    if (m_listener)
        m_listener(Change{from, SelTo() - from, SelTo() - from, m_store.ParagraphAt(from),
                          m_store.ParagraphAt(SelTo()) - m_store.ParagraphAt(from) + 1,
                          m_store.ParagraphAt(SelTo()) - m_store.ParagraphAt(from) + 1, true, false});
}

void EditBuffer::Paint(const Painter &painter)
{
    RunList runs = m_store.Runs();
    painter(Text(), runs, m_store.Formats());
    m_store.SetRuns(runs);
    ++m_changes;
    m_modified = true;
    if (m_listener)
        m_listener(Change{0, Length(), Length(), 0, ParagraphCount(), ParagraphCount(), true, false});
}

void EditBuffer::BeginStep() {}
void EditBuffer::EndStep() {}
bool EditBuffer::CanUndo() const { return false; }
bool EditBuffer::CanRedo() const { return false; }
void EditBuffer::Undo() {}
void EditBuffer::Redo() {}
void EditBuffer::SetUndoEnabled(bool) {}

void EditBuffer::SetModified(bool on) { m_modified = on; }

} // namespace lumora
