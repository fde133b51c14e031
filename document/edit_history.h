#pragma once

#include "document/run_list.h"
#include "document/text_store.h"

#include <QString>
#include <deque>
#include <memory>
#include <vector>

namespace lumora {

// Where each character's text first went in: a number that grows by one for
// each character typed, pasted or loaded, and that travels with the
// character through undo and redo.  Two characters that went in one after
// the other, in one edit, have consecutive numbers; a run of Backspace or
// Delete is one undo step only over such characters, as users of the editor
// are used to (text typed at different times is taken back in steps).
class OriginList
{
public:
    struct Run
    {
        int end = 0;
        int start = 0;   // the number of the run's first character
    };

    void Reset(int length);
    int Length() const { return m_length; }
    // The runs of [from, to), positions from 0.
    std::vector<Run> Slice(int from, int to) const;
    // Replaces [pos, pos + removed) by characters numbered as runs says.
    void Replace(int pos, int removed, const std::vector<Run> &runs);

private:
    // Runs by length, in blocks of a few hundred, so that an edit costs a
    // look at each block's length and one block's runs, however many edits
    // cut the numbering before.
    struct Piece
    {
        int length = 0;
        int start = 0;
    };
    struct Block
    {
        int length = 0;
        std::vector<Piece> pieces;
    };
    struct Where
    {
        size_t block = 0;
        size_t piece = 0;
    };
    // Makes a piece start at pos and says where it is (past the end: the
    // last block's end).
    Where CutAt(int pos);
    void SplitBlock(size_t b);

    std::vector<Block> m_blocks;
    int m_length = 0;
};

// One entry of the undo history.  Text entries are in their "done" state as
// Inserted (the text [pos, pos + length) is in the document) or Removed (it
// is not; text, runs and origins hold it); undo and redo flip them.
struct EditCommand
{
    // Touched: paragraphs made left-aligned (Enter on an empty line does
    // that first, as a step of its own, even when they were); aligns holds
    // what they were.
    enum Kind : quint8 { Inserted, Removed, Formats, CursorMoved, Touched };
    Kind kind = Inserted;
    bool blockPart = false;   // part of a group undone as one
    bool blockEnd = false;    // the group's last entry
    bool hasBreak = false;    // holds a paragraph break: never merges
    bool whole = false;       // Formats: every character's format
    int pos = 0;
    int length = 0;
    int format = 0;           // the text's format, when it is one
    int origin = 0;           // the first character's origin number
    int paragraphs = 0;       // Touched: how many
    // What it holds besides where it is; none for text in the document (a
    // step of typing costs these few numbers).
    struct Data
    {
        QString text;
        RunList runs;             // Removed: the text's formats; Formats: before
        RunList after;            // Formats: after
        TextStore::ChunkRuns chunks;   // Formats, whole: the other state
        std::vector<OriginList::Run> origins;
        std::vector<QPair<int, quint8>> aligns;   // paragraph alignments the text took away
    };
    std::unique_ptr<Data> data;

    Data &Hold()
    {
        if (!data)
            data = std::make_unique<Data>();
        return *data;
    }
    // One origin for all its characters, and one format.
    bool Mergeable() const;
};

// The one undo history of the editing area.  Its steps are those of the
// editor users know, built the way they were built: entries are appended
// and may merge with the last one (consecutive typing in one format, runs
// of Backspace or Delete over text that went in together), groups are undone
// whole, an edit after a save never merges with what came before it, and
// the caret after an undo or redo goes where it went.
class EditHistory
{
public:
    // Does and undoes the entries' work on the document.
    class Target
    {
    public:
        virtual ~Target() = default;
        // Inserted -> Removed: takes the text out, keeping it in c.
        virtual void TakeOut(EditCommand &c) = 0;
        // Removed -> Inserted: puts c's text back.
        virtual void PutBack(EditCommand &c) = 0;
        virtual void SwapFormats(EditCommand &c, bool undo) = 0;
        virtual int DocumentLength() const = 0;
    };

    bool IsEnabled() const { return m_enabled; }
    void SetEnabled(bool on);
    // Empties the history for a document of this length, all of it loaded
    // (hasBreak: in more than one paragraph).
    void Clear(int length, bool hasBreak);

    OriginList &Origins() { return m_origins; }

    // A group; cursor: where the caret was when it began (-1: not said).
    void BeginGroup(int cursor);
    void EndGroup();
    bool InGroup() const { return m_depth > 0; }

    void Append(EditCommand c);
    // Forgets what could be redone (the next Append would), so that a big
    // step about to be made need not wait for the memory of an undone one.
    void DropRedo();
    // The origin numbers for count new characters.
    int TakeOrigins(int count, bool hasBreak);

    bool CanUndo() const { return m_enabled && m_state > 0; }
    bool CanRedo() const { return m_enabled && m_state < int(m_stack.size()); }
    // The caret's place afterwards, or -1 when the caret stays.
    int Undo(Target &target) { return UndoRedo(true, target); }
    int Redo(Target &target) { return UndoRedo(false, target); }

    // The text changed outside a group, a group ended, or undo ran: whether
    // the document differs from its saved state is worked out anew.
    void ContentsChanged();
    bool IsModified() const { return m_modified; }
    void SetModified(bool on);

private:
    int UndoRedo(bool undo, Target &target);
    bool TryMerge(EditCommand &last, EditCommand &c) const;
    static void TrackChange(int from, int added, int removed, int &docFrom, int &docLen);

    std::deque<EditCommand> m_stack;
    OriginList m_origins;
    int m_state = 0;           // entries done
    int m_modifiedState = 0;   // m_state when saved; -1: never
    int m_depth = 0;
    int m_groupCursor = -1;
    int m_nextOrigin = 0;
    bool m_enabled = true;
    bool m_modified = false;
};

} // namespace lumora
