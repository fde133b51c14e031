#include "document/edit_history.h"

#include <algorithm>

namespace lumora {

bool EditCommand::Mergeable() const
{
    return !hasBreak
        && (!data || ((kind == Inserted || data->origins.size() <= 1) && data->runs.Runs().size() <= 1));
}

void EditHistory::SetEnabled(bool on)
{
    if (!on) {
        m_state = 0;
        m_stack.clear();
    }
    m_modifiedState = m_modified ? -1 : m_state;
    m_enabled = on;
}

void EditHistory::Clear(int length, bool hasBreak)
{
    m_stack.clear();
    m_state = 0;
    m_modified = true;
    m_modifiedState = -1;
    m_origins.Reset(length);
    m_nextOrigin = length + (hasBreak ? 1 : 0);
}

void EditHistory::BeginGroup(int cursor)
{
    if (m_depth++ == 0)
        m_groupCursor = cursor;
}

void EditHistory::EndGroup()
{
    if (m_depth == 0 || --m_depth > 0)
        return;
    if (m_enabled && m_state > 0 && m_stack[size_t(m_state) - 1].blockPart)
        m_stack[size_t(m_state) - 1].blockEnd = true;
    m_groupCursor = -1;
    ContentsChanged();
}

int EditHistory::TakeOrigins(int count, bool hasBreak)
{
    const int first = m_nextOrigin;
    // Text that held a break is never continued by the next edit's text.
    m_nextOrigin += count + (hasBreak ? 1 : 0);
    return first;
}

void EditHistory::ContentsChanged()
{
    if (m_depth > 0)
        return;
    m_modified = m_enabled ? m_modifiedState != m_state : true;
}

void EditHistory::SetModified(bool on)
{
    if (on == m_modified)
        return;
    m_modified = on;
    m_modifiedState = on ? -1 : m_state;
}

// Consecutive typing goes on one entry; so does a run of Delete (the text
// after the caret, taken at one place) and of Backspace (the text before).
bool EditHistory::TryMerge(EditCommand &last, EditCommand &c) const
{
    if (last.kind != c.kind || !last.Mergeable() || !c.Mergeable() || last.format != c.format)
        return false;
    if (c.kind == EditCommand::Inserted) {
        if (last.pos + last.length != c.pos || last.origin + last.length != c.origin)
            return false;
        last.length += c.length;
        return true;
    }
    if (c.kind != EditCommand::Removed)
        return false;
    if (last.pos == c.pos && last.origin + last.length == c.origin) {
        last.Hold().text += c.Hold().text;
        last.Hold().runs.Append(c.Hold().runs);
        last.Hold().origins.front().end += c.length;
        last.length += c.length;
        return true;
    }
    if (c.pos + c.length == last.pos && c.origin + c.length == last.origin) {
        const int length = last.length;
        const QString text = last.Hold().text;
        c.Hold().origins.front().end += length;
        c.Hold().runs.Append(last.Hold().runs);
        last = std::move(c);
        last.Hold().text += text;
        last.length += length;
        return true;
    }
    return false;
}

void EditHistory::Append(EditCommand c)
{
    if (!m_enabled)
        return;
    c.blockPart = m_depth > 0;
    c.blockEnd = false;
    if (m_state < int(m_stack.size()))
        m_stack.resize(size_t(m_state));
    if (m_depth > 0 && m_groupCursor >= 0) {
        // Undoing the group brings the caret back to where it began.  A
        // change of formats counts as made at 0, as the editor's always did.
        if ((c.kind == EditCommand::Formats ? 0 : c.pos) != m_groupCursor) {
            EditCommand moved;
            moved.kind = EditCommand::CursorMoved;
            moved.blockPart = true;
            moved.pos = m_groupCursor;
            m_stack.push_back(std::move(moved));
            ++m_state;
            m_groupCursor = -1;
        }
    }
    if (!m_stack.empty() && m_modified) {
        EditCommand &last = m_stack[size_t(m_state) - 1];
        const bool sameGroup = last.blockPart && c.blockPart && !last.blockEnd;
        const bool bothSingle = !last.blockPart && !c.blockPart;
        // Typing right after a group (a replaced selection, a paste) goes
        // on with the group's last insertion.
        const bool typingOn = c.kind == EditCommand::Inserted && last.kind == EditCommand::Inserted
            && last.blockPart && !c.blockPart;
        if ((sameGroup || bothSingle || typingOn) && TryMerge(last, c))
            return;
    }
    if (m_modifiedState > m_state)
        m_modifiedState = -1;
    m_stack.push_back(std::move(c));
    ++m_state;
}

void EditHistory::DropRedo()
{
    if (m_enabled && m_state < int(m_stack.size()))
        m_stack.resize(size_t(m_state));
}

void EditHistory::TrackChange(int from, int added, int removed, int &docFrom, int &docLen)
{
    if (docFrom < 0) {
        docFrom = from;
        docLen = added;
        return;
    }
    int diff = 0;
    if (from + removed < docFrom)
        diff = docFrom - from - removed;
    else if (from > docFrom + docLen)
        diff = from - (docFrom + docLen);
    const int overlap = std::max(0, std::min(from + removed, docFrom + docLen) - std::max(from, docFrom));
    docFrom = std::min(docFrom, from);
    docLen += added - overlap + diff;
}

int EditHistory::UndoRedo(bool undo, Target &target)
{
    if (!CanUndo() && undo)
        return -1;
    if (!CanRedo() && !undo)
        return -1;
    int editPos = -1, editLength = -1, docFrom = -1, docLen = 0;
    const int size = int(m_stack.size());
    for (;;) {
        if (undo)
            --m_state;
        EditCommand &c = m_stack[size_t(m_state)];
        switch (c.kind) {
        case EditCommand::Inserted:
            target.TakeOut(c);
            c.kind = EditCommand::Removed;
            TrackChange(c.pos, 0, c.length, docFrom, docLen);
            editPos = c.pos;
            editLength = 0;
            break;
        case EditCommand::Removed:
            target.PutBack(c);
            c.kind = EditCommand::Inserted;
            TrackChange(c.pos, c.length, 0, docFrom, docLen);
            if (editPos != c.pos)
                editLength = 0;
            editPos = c.pos;
            editLength += c.length;
            break;
        case EditCommand::Formats:
            target.SwapFormats(c, undo);
            editPos = -1;
            break;
        case EditCommand::CursorMoved:
            editPos = c.pos;
            editLength = 0;
            break;
        case EditCommand::Touched:
            target.SwapFormats(c, undo);
            TrackChange(c.pos, c.length, c.length, docFrom, docLen);
            editPos = -1;
            break;
        }
        if (!undo)
            ++m_state;
        const bool inGroup = m_state > 0 && m_state < size && m_stack[size_t(m_state)].blockPart
            && m_stack[size_t(m_state) - 1].blockPart && !m_stack[size_t(m_state) - 1].blockEnd;
        if (!inGroup)
            break;
    }
    ContentsChanged();
    if (editPos >= 0)
        return std::min(editPos + editLength, target.DocumentLength());
    if (docFrom >= 0)
        return std::min(docFrom + docLen, target.DocumentLength());
    return -1;
}

} // namespace lumora
