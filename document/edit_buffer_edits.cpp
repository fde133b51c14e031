// The edits of EditBuffer and their undo: every change of text goes through
// Edit(), which records it in the history, keeps paragraph alignments and
// origins in step and reports it.
#include "document/edit_buffer.h"

#include "document/edit_history.h"

#include <QTextBoundaryFinder>
#include <algorithm>

namespace lumora {

// What undo and redo do to the document.
class EditBuffer::HistoryTarget : public EditHistory::Target
{
public:
    explicit HistoryTarget(EditBuffer &buffer) : m_b(buffer) {}

    void TakeOut(EditCommand &c) override
    {
        TextStore &store = m_b.m_store;
        const int from = c.pos, to = c.pos + c.length;
        const int first = store.ParagraphAt(from), old = store.ParagraphAt(to) - first + 1;
        c.Hold().text = store.Text(from, c.length);
        c.Hold().runs = store.Runs(from, to);
        c.Hold().origins = m_b.m_history->Origins().Slice(from, to);
        c.Hold().aligns = m_b.TakeAligns(from, to);
        store.Remove(from, to);
        m_b.m_history->Origins().Replace(from, c.length, {});
        m_b.Report(from, c.length, 0, first, old, false);
    }
    void PutBack(EditCommand &c) override
    {
        TextStore &store = m_b.m_store;
        const int first = store.ParagraphAt(c.pos);
        const TextStore::Span s = store.Insert(c.pos, c.Hold().text, c.Hold().runs);
        m_b.m_history->Origins().Replace(c.pos, 0, c.Hold().origins);
        m_b.GiveAligns(first, store.ParagraphAt(s.to) - first, &c.Hold().aligns);
        m_b.Report(c.pos, 0, s.to - s.from, first, 1, false);
        // The text is in the document again; keeping a copy would double it.
        c.data.reset();
    }
    void SwapFormats(EditCommand &c, bool undo) override
    {
        TextStore &store = m_b.m_store;
        if (c.kind == EditCommand::Touched) {
            Realign(c, undo);
            return;
        }
        const RunList &runs = undo ? c.Hold().runs : c.Hold().after;
        if (c.whole) {
            store.SwapRuns(c.Hold().chunks);
        } else {
            int at = 0;
            for (const FormatRun &r : runs.Runs()) {
                store.SetFormat(c.pos + at, c.pos + r.end, r.format);
                at = r.end;
            }
        }
        m_b.m_formatsChanged = true;
        const int len = c.whole ? m_b.Length() : c.length;
        m_b.Report(c.whole ? 0 : c.pos, len, len, store.ParagraphAt(c.whole ? 0 : c.pos), 0, true);
    }
    int DocumentLength() const override { return m_b.Length(); }

private:
    void Realign(const EditCommand &c, bool undo)
    {
        if (!c.data || c.data->aligns.empty())
            return;
        const int first = m_b.m_store.ParagraphAt(c.pos);
        const int count = c.paragraphs;
        std::vector<Align> now(size_t(count), Align::Left);
        for (const auto &a : c.data->aligns)
            now[size_t(a.first)] = undo ? Align(a.second) : Align::Left;
        m_b.ReplaceAligns(first, count, now);
        m_b.Report(c.pos, c.length, c.length, first, 0, true);
    }

    EditBuffer &m_b;
};

int EditBuffer::Edit(int from, int to, const QString &text, int format)
{
    from = m_store.SnapDown(from);
    to = std::max(from, m_store.SnapUp(to));
    if (from == to && text.isEmpty())
        return from;
    const int first = m_store.ParagraphAt(from);
    const int oldParagraphs = m_store.ParagraphAt(to) - first + 1;
    EditHistory &h = *m_history;
    if (to > from) {
        EditCommand r;
        r.kind = EditCommand::Removed;
        r.pos = from;
        r.length = to - from;
        r.Hold().text = m_store.Text(from, to - from);
        r.Hold().runs = m_store.Runs(from, to);
        r.Hold().origins = h.Origins().Slice(from, to);
        r.origin = r.Hold().origins.empty() ? 0 : r.Hold().origins.front().start;
        r.hasBreak = oldParagraphs > 1;
        r.format = r.Hold().runs.Runs().size() == 1 ? r.Hold().runs.Runs().front().format : -1;
        r.Hold().aligns = TakeAligns(from, to);
        m_store.Remove(from, to);
        h.Origins().Replace(from, to - from, {});
        h.Append(std::move(r));
    }
    int end = from;
    if (!text.isEmpty()) {
        const TextStore::Span s = m_store.Insert(from, text, format);
        const int breaks = m_store.ParagraphAt(s.to) - m_store.ParagraphAt(s.from);
        EditCommand c;
        c.kind = EditCommand::Inserted;
        c.pos = s.from;
        c.length = s.to - s.from;
        c.format = format;
        c.hasBreak = breaks > 0;
        c.origin = h.TakeOrigins(c.length, c.hasBreak);
        h.Origins().Replace(s.from, 0, {{c.length, c.origin}});
        GiveAligns(m_store.ParagraphAt(s.from), breaks, nullptr);
        h.Append(std::move(c));
        end = s.to;
    }
    Report(from, to - from, end - from, first, oldParagraphs, false);
    h.ContentsChanged();
    UpdateModified();
    return end;
}

// Removing text across paragraphs leaves one paragraph: the first, unless
// the removal took it from its start, then the last.  What it took away is
// kept for undo.
std::vector<QPair<int, quint8>> EditBuffer::TakeAligns(int from, int to)
{
    const int p = m_store.ParagraphAt(from), q = m_store.ParagraphAt(to);
    if (p == q)
        return {};
    std::vector<QPair<int, quint8>> saved = AlignsOf(p, q);
    const Align keep = from > m_store.ParagraphStart(p) ? AlignOf(p) : AlignOf(q);
    ReplaceAligns(p, q - p + 1, {keep});
    return saved;
}

// The alignments of paragraphs [first, last] other than left, numbered from
// first.
std::vector<QPair<int, quint8>> EditBuffer::AlignsOf(int first, int last) const
{
    std::vector<QPair<int, quint8>> out;
    auto it = std::lower_bound(m_aligns.cbegin(), m_aligns.cend(), first,
                               [](const QPair<int, Align> &a, int p) { return a.first < p; });
    for (; it != m_aligns.cend() && it->first <= last; ++it)
        out.push_back({it->first - first, quint8(it->second)});
    return out;
}

// New paragraphs take the alignment of the one they were made from, or
// what undo kept.
void EditBuffer::GiveAligns(int paragraph, int breaks, const std::vector<QPair<int, quint8>> *saved)
{
    if (breaks <= 0)
        return;
    std::vector<Align> now(size_t(breaks) + 1, saved ? Align::Left : AlignOf(paragraph));
    if (saved) {
        for (const auto &s : *saved)
            now[size_t(s.first)] = Align(s.second);
    }
    ReplaceAligns(paragraph, 1, now);
}

void EditBuffer::ReplaceAligns(int first, int oldCount, const std::vector<Align> &now)
{
    const bool plain = std::all_of(now.begin(), now.end(), [](Align a) { return a == Align::Left; });
    if (m_aligns.isEmpty() && plain)
        return;
    const int shift = int(now.size()) - oldCount;
    QVector<QPair<int, Align>> out;
    out.reserve(m_aligns.size() + qsizetype(now.size()));
    auto it = m_aligns.cbegin();
    for (; it != m_aligns.cend() && it->first < first; ++it)
        out.append(*it);
    for (size_t i = 0; i < now.size(); ++i) {
        if (now[i] != Align::Left)
            out.append({first + int(i), now[i]});
    }
    for (; it != m_aligns.cend(); ++it) {
        if (it->first >= first + oldCount)
            out.append({it->first + shift, it->second});
    }
    m_aligns = std::move(out);
}

void EditBuffer::Type(const QString &text)
{
    if (text.isEmpty())
        return;
    const int format = CursorFormat();
    // Text replacing a selection, or holding a line break, goes in as a
    // group; typing after it goes on with it.
    const bool group = m_caret != m_anchor || text.contains(u'\r') || text.contains(u'\n');
    if (group)
        m_history->BeginGroup(-1);
    const int end = Edit(SelFrom(), SelTo(), text, format);
    if (group)
        m_history->EndGroup();
    m_caret = m_anchor = end;
    m_pending = -1;
    UpdateModified();
}

// Enter on an empty line first makes its paragraph plain, as a step of its
// own; if that changed its alignment, that is all it does (Enter twice ends
// a centred passage).  Otherwise the break follows, plain on an empty line
// and elsewhere in the format typed text would take.
void EditBuffer::InsertBreak()
{
    const int p = m_store.ParagraphAt(m_caret);
    const bool empty = m_store.ParagraphStart(p) == m_store.ParagraphEnd(p);
    if (empty && ResetAligns()) {
        m_pending = 0;
        return;
    }
    const int format = empty ? 0 : CursorFormat();
    m_history->BeginGroup(-1);
    const int end = Edit(SelFrom(), SelTo(), QStringLiteral("\r\n"), format);
    m_history->EndGroup();
    m_caret = m_anchor = end;
    m_pending = -1;
    UpdateModified();
}

bool EditBuffer::ResetAligns()
{
    const int first = m_store.ParagraphAt(SelFrom()), last = m_store.ParagraphAt(SelTo());
    EditCommand c;
    c.kind = EditCommand::Touched;
    c.pos = m_store.ParagraphStart(first);
    c.length = (last + 1 < ParagraphCount() ? m_store.ParagraphStart(last + 1) : Length()) - c.pos;
    c.paragraphs = last - first + 1;
    c.Hold().aligns = AlignsOf(first, last);
    const bool changed = !c.Hold().aligns.empty();
    if (changed) {
        ReplaceAligns(first, last - first + 1, std::vector<Align>(size_t(last - first + 1), Align::Left));
        Report(c.pos, c.length, c.length, first, 0, true);
    }
    m_history->BeginGroup(-1);
    m_history->Append(std::move(c));
    m_history->EndGroup();
    ++m_changes;
    UpdateModified();
    return changed;
}

void EditBuffer::RemoveSelectionOrRange(int from, int to)
{
    const bool group = m_caret != m_anchor;
    if (group)
        m_history->BeginGroup(-1);
    const int end = Edit(from, to, QString(), 0);
    if (group)
        m_history->EndGroup();
    m_caret = m_anchor = end;
    m_pending = -1;
    UpdateModified();
}

// One character: a whole break, a whole surrogate pair.
void EditBuffer::DeleteBackward()
{
    if (m_caret != m_anchor) {
        RemoveSelectionOrRange(SelFrom(), SelTo());
        return;
    }
    if (m_caret == 0)
        return;
    int from = m_store.SnapDown(m_caret - 1);
    if (from > 0 && m_store.At(from).isLowSurrogate() && m_store.At(from - 1).isHighSurrogate())
        --from;
    RemoveSelectionOrRange(from, m_caret);
}

// One character as the eye sees it: a letter with its marks, a whole break.
void EditBuffer::DeleteForward()
{
    if (m_caret != m_anchor) {
        RemoveSelectionOrRange(SelFrom(), SelTo());
        return;
    }
    if (m_caret >= Length())
        return;
    int to = m_caret + 1;
    if (m_store.At(m_caret) == u'\r') {
        to = m_store.SnapUp(m_caret + 1);
    } else {
        const int p = m_store.ParagraphAt(m_caret);
        const int end = std::min(m_store.ParagraphEnd(p), m_caret + 64);
        const QString piece = m_store.Text(m_caret, end - m_caret);
        QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, piece);
        finder.setPosition(0);
        const qsizetype next = finder.toNextBoundary();
        to = m_caret + int(next > 0 ? next : 1);
    }
    // The caret stays, and so does a format chosen for what is typed next.
    const int pending = m_pending;
    RemoveSelectionOrRange(m_caret, to);
    m_pending = pending;
}

void EditBuffer::ReplaceSelection(const QString &text)
{
    const int format = CursorFormat();
    m_history->BeginGroup(m_caret);
    const int end = Edit(SelFrom(), SelTo(), text, format);
    m_history->EndGroup();
    m_caret = m_anchor = end;
    m_pending = -1;
    UpdateModified();
}

void EditBuffer::InsertPicture(Picture picture)
{
    m_pictures.append(std::move(picture));
    CharFormat f;
    f.picture = int(m_pictures.size()) - 1;
    const int format = m_store.Formats().Id(f);
    const bool group = m_caret != m_anchor;
    if (group)
        m_history->BeginGroup(-1);
    const int end = Edit(SelFrom(), SelTo(), QString(QChar(0xFFFC)), format);
    if (group)
        m_history->EndGroup();
    m_caret = m_anchor = end;
    m_pending = -1;
    UpdateModified();
}

void EditBuffer::Undo()
{
    HistoryTarget target(*this);
    if (!m_history->CanUndo())
        return;
    const int pos = m_history->Undo(target);
    m_pending = -1;
    if (pos >= 0)
        SetSelection(pos, pos);
    UpdateModified();
}

void EditBuffer::Redo()
{
    HistoryTarget target(*this);
    if (!m_history->CanRedo())
        return;
    const int pos = m_history->Redo(target);
    m_pending = -1;
    if (pos >= 0)
        SetSelection(pos, pos);
    UpdateModified();
}

} // namespace lumora
