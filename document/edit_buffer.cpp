#include "document/edit_buffer.h"

#include "document/edit_history.h"

#include <algorithm>
#include <utility>

namespace lumora {

EditBuffer::EditBuffer() : m_history(std::make_unique<EditHistory>()) {}
EditBuffer::~EditBuffer() = default;

Align EditBuffer::AlignOf(int paragraph) const
{
    const auto it = std::lower_bound(m_aligns.begin(), m_aligns.end(), paragraph,
                                     [](const QPair<int, Align> &a, int p) { return a.first < p; });
    return it != m_aligns.end() && it->first == paragraph ? it->second : Align::Left;
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
    const int oldLength = Length(), oldParagraphs = ParagraphCount();
    m_store.Load(doc);
    DocumentSet(doc, oldLength, oldParagraphs);
}

void EditBuffer::SetDocument(Document doc, TextStore text)
{
    const int oldLength = Length(), oldParagraphs = ParagraphCount();
    m_store = std::move(text);
    DocumentSet(doc, oldLength, oldParagraphs);
}

void EditBuffer::DocumentSet(Document &doc, int oldLength, int oldParagraphs)
{
    m_pictures = std::move(doc.pictures);
    m_aligns = std::move(doc.aligns);
    m_omitted = doc.omitted;
    m_caret = m_anchor = 0;
    m_pending = -1;
    m_initial = Length() > 0 ? m_store.Formats().WithoutPicture(m_store.FormatAt(0)) : 0;
    m_history->Clear(Length(), ParagraphCount() > 1);
    m_formatsChanged = false;
    UpdateModified();
    m_text = QString();
    m_textValid = false;
    ++m_changes;
    if (m_listener)
        m_listener(Change{0, oldLength, Length(), 0, oldParagraphs, ParagraphCount(), false, true});
}

void EditBuffer::SetSelection(int anchor, int caret)
{
    const int n = Length();
    const int a = m_store.SnapDown(std::clamp(anchor, 0, n));
    const int c = m_store.SnapDown(std::clamp(caret, 0, n));
    // Placing the caret, even where it was, forgets a format chosen for
    // what is typed next.
    m_pending = -1;
    if (a == m_anchor && c == m_caret)
        return;
    m_anchor = a;
    m_caret = c;
    if (m_selectionListener)
        m_selectionListener();
}

// Text inserted at q takes the format of the character before it; at the
// start of a line that has characters, the format of the line's first
// character; at the very start of the document, the format the document
// started with.  A picture's format gives its look, not the picture.
int EditBuffer::InheritedAt(int q) const
{
    const int n = Length();
    const bool lineStart = q == 0 || (q >= 2 && m_store.At(q - 1) == u'\n');
    int f;
    if (lineStart && q < n && m_store.At(q) != u'\r')
        f = m_store.FormatAt(q);
    else if (q == 0 || n == 0)
        f = m_initial;
    else
        f = m_store.FormatAt(std::min(q, n) - 1);
    return const_cast<FormatTable &>(m_store.Formats()).WithoutPicture(f);
}

// Text replacing a selection takes the format at its moving end, as the
// caret stands there.
int EditBuffer::CursorFormat() const
{
    if (m_pending >= 0 && m_caret == m_anchor)
        return m_pending;
    return InheritedAt(m_caret);
}

void EditBuffer::ChangeSelectionFormat(const FormatChange &change)
{
    if (SelFrom() == SelTo()) {
        CharFormat f = m_store.Formats().At(CursorFormat());
        change(f);
        m_pending = m_store.Formats().Id(f);
        return;
    }
    const int from = m_store.SnapDown(SelFrom()), to = m_store.SnapUp(SelTo());
    EditCommand c;
    c.kind = EditCommand::Formats;
    c.pos = from;
    c.length = to - from;
    c.Hold().runs = m_store.Runs(from, to);
    int at = 0;
    for (const FormatRun &r : c.Hold().runs.Runs()) {
        CharFormat f = m_store.Formats().At(r.format);
        change(f);
        c.Hold().after.Append(r.end - at, m_store.Formats().Id(f));
        at = r.end;
    }
    at = 0;
    for (const FormatRun &r : c.Hold().after.Runs()) {
        m_store.SetFormat(from + at, from + r.end, r.format);
        at = r.end;
    }
    // Even a change that changes nothing is a step of its own: it ends
    // what redo could bring back.
    m_history->Append(std::move(c));
    m_history->ContentsChanged();
    m_formatsChanged = true;
    Report(from, to - from, to - from, m_store.ParagraphAt(from), 0, true);
    UpdateModified();
}

void EditBuffer::Paint(const Painter &painter)
{
    m_history->DropRedo();
    RunList runs = m_store.Runs();
    painter(Text(), runs, m_store.Formats());
    // The whole text goes with the pass, even when it was built before it
    // (the pass reads it first): on a big document it is twice the size of
    // the file, and nothing else needs it until a search.
    m_text = QString();
    m_textValid = false;
    TextStore::ChunkRuns chunks = m_store.CutRuns(runs);
    runs = RunList();
    CommitPaint(std::move(chunks));
}

bool EditBuffer::PaintByParagraphs(const PiecePainter &painter, int pieceChars,
                                   const std::function<void(const QString &next)> &ahead)
{
    const int n = Length();
    // To the end of the paragraph holding the piece's last character.
    const auto pieceEnd = [&](int from) {
        const int last = m_store.ParagraphAt(std::min(n, from + std::max(pieceChars, 1)) - 1);
        return last + 1 < ParagraphCount() ? m_store.ParagraphStart(last + 1) : n;
    };
    TextStore::RunCutter cutter(m_store);
    int from = 0, to = pieceEnd(0);
    QString text = m_store.Text(from, to - from);
    while (from < n) {
        const int nextEnd = to < n ? pieceEnd(to) : n;
        QString next = m_store.Text(to, nextEnd - to);
        if (ahead && !next.isEmpty())
            ahead(next);
        RunList runs = m_store.Runs(from, to);
        if (!painter(text, runs, m_store.Formats()))
            return false;
        cutter.Append(runs, to - from);
        from = std::exchange(to, nextEnd);
        text = std::move(next);
    }
    m_history->DropRedo();
    CommitPaint(cutter.Finish());
    return true;
}

// The formats before are kept as the chunks held them: undo and redo trade
// them back in a pointer per chunk.
void EditBuffer::CommitPaint(TextStore::ChunkRuns chunks)
{
    EditCommand c;
    c.kind = EditCommand::Formats;
    c.whole = true;
    c.Hold().chunks = std::move(chunks);
    m_store.SwapRuns(c.Hold().chunks);
    c.length = Length();
    m_history->Append(std::move(c));
    m_history->ContentsChanged();
    m_formatsChanged = true;
    Report(0, Length(), Length(), 0, 0, true);
    UpdateModified();
}

void EditBuffer::Report(int pos, int removed, int added, int firstParagraph, int oldParagraphs, bool formatsOnly)
{
    if (!formatsOnly) {
        m_text = QString();   // a stale copy of a big text is memory for nothing
        m_textValid = false;
    }
    ++m_changes;
    if (!m_listener)
        return;
    Change c;
    c.pos = pos;
    c.removed = removed;
    c.added = added;
    c.firstParagraph = firstParagraph;
    c.newParagraphs = m_store.ParagraphAt(pos + added) - firstParagraph + 1;
    c.oldParagraphs = formatsOnly ? c.newParagraphs : oldParagraphs;
    c.formatsOnly = formatsOnly;
    m_listener(c);
}

void EditBuffer::BeginStep() { m_history->BeginGroup(m_caret); }

void EditBuffer::EndStep()
{
    m_history->EndGroup();
    UpdateModified();
}

bool EditBuffer::CanUndo() const { return m_history->CanUndo(); }
bool EditBuffer::CanRedo() const { return m_history->CanRedo(); }
void EditBuffer::SetUndoEnabled(bool on) { m_history->SetEnabled(on); }

void EditBuffer::SetModified(bool on)
{
    m_formatsChanged = on;
    m_history->SetModified(on);
    UpdateModified();
}

void EditBuffer::UpdateModified() { m_modified = m_formatsChanged || m_history->IsModified(); }

} // namespace lumora
