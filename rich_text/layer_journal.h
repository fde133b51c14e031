#pragma once

#include "document/run_list.h"

#include <QObject>
#include <vector>

class QTextDocument;

namespace lumora {

// One change of formats: at text position pos, the formats `before` gave
// way to `after` (their lengths are the old and the new length of the
// stretch).  A change of the whole document's formats keeps only the other
// state in `before` and trades it for the current one on undo and redo.
struct LayerOp
{
    int pos = 0;
    RunList before;
    RunList after;
    bool whole = false;
};

// Keeps the formats of the editing area in step with the text document's
// own undo history.  Qt's undo stack stays the one history (its grouping of
// typing and edit blocks is what the user knows); each of its commands gets
// the format changes that came with it here, and when Qt undoes or redoes
// commands, the same commands' format changes are undone or redone.
// Changes of formats alone enter Qt's stack as a marker command.
class LayerJournal : public QObject
{
    Q_OBJECT
public:
    explicit LayerJournal(QTextDocument *doc, QObject *parent = nullptr);

    enum class Step { Edit, Undo, Redo };
    // What the document's undo stack did since the last call: a new edit,
    // or an undo or redo of commands whose format changes must be replayed.
    Step Classify();
    // Replays onto runs what the last Classify() found undone or redone.
    void Replay(Step step, RunList &runs);
    // Attaches the format change of the edit just classified.
    void Record(LayerOp op);
    // A change of formats alone: one command of its own in Qt's stack (part
    // of the open edit block, if any).  The journal must be in step (the
    // last Classify() seen through).  False when the document keeps no
    // undo history.
    bool RecordAlone(LayerOp op);
    void Clear();

private:
    int StackSize() const;

    QTextDocument *m_doc;
    std::vector<std::vector<LayerOp>> m_commands;
    int m_seen = 0;          // Qt's undo state at the last look
    int m_from = 0;          // the range the last Classify() found undone or redone
    int m_to = 0;
    bool m_added = false;    // Qt added a command since the last look
};

} // namespace lumora
