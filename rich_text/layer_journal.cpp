#include "rich_text/layer_journal.h"

#include <QAbstractUndoItem>
#include <QTextDocument>

namespace lumora {

namespace {

// Stands in Qt's undo stack for a change of formats alone; the journal
// replays the change when Qt passes over it.
class FormatMarker : public QAbstractUndoItem
{
public:
    void undo() override {}
    void redo() override {}
};

} // namespace

LayerJournal::LayerJournal(QTextDocument *doc, QObject *parent) : QObject(parent), m_doc(doc)
{
    connect(doc, &QTextDocument::undoCommandAdded, this, [this] { m_added = true; });
}

int LayerJournal::StackSize() const
{
    const int undo = m_doc->availableUndoSteps();
    return undo + (m_doc->isRedoAvailable() ? m_doc->availableRedoSteps() + 1 : 0);
}

void LayerJournal::Clear()
{
    m_commands.clear();
    m_seen = m_doc->availableUndoSteps();
    m_added = false;
}

LayerJournal::Step LayerJournal::Classify()
{
    const int state = m_doc->availableUndoSteps();
    Step step = Step::Edit;
    if (!m_doc->isUndoRedoEnabled()) {
        m_commands.clear();
    } else if (state < m_seen) {
        step = Step::Undo;
        m_from = state;
        m_to = m_seen;
    } else if (state > m_seen && !m_added) {
        step = Step::Redo;
        m_from = m_seen;
        m_to = state;
    } else {
        // New commands take the places of whatever was undone before them.
        if (m_added || state > m_seen)
            m_commands.resize(std::min(m_commands.size(), size_t(m_seen)));
        if (m_commands.size() < size_t(state))
            m_commands.resize(size_t(state));
    }
    // A new edit drops what could have been redone, and so does Qt when it
    // drops history of its own accord.
    if (size_t(StackSize()) < m_commands.size())
        m_commands.resize(size_t(StackSize()));
    m_seen = state;
    m_added = false;
    return step;
}

void LayerJournal::Replay(Step step, RunList &runs)
{
    const int to = std::min(m_to, int(m_commands.size()));
    if (step == Step::Undo) {
        for (int c = to - 1; c >= m_from; --c) {
            auto &ops = m_commands[size_t(c)];
            for (auto op = ops.rbegin(); op != ops.rend(); ++op) {
                if (op->whole)
                    std::swap(runs, op->before);
                else
                    runs.Replace(op->pos, op->after.Length(), op->before);
            }
        }
    } else if (step == Step::Redo) {
        for (int c = m_from; c < to; ++c) {
            for (LayerOp &op : m_commands[size_t(c)]) {
                if (op.whole)
                    std::swap(runs, op.before);
                else
                    runs.Replace(op.pos, op.before.Length(), op.after);
            }
        }
    }
}

void LayerJournal::Record(LayerOp op)
{
    if (m_seen == 0 || !m_doc->isUndoRedoEnabled())
        return;
    m_commands.resize(std::max(m_commands.size(), size_t(m_seen)));
    m_commands[size_t(m_seen) - 1].push_back(std::move(op));
}

bool LayerJournal::RecordAlone(LayerOp op)
{
    if (!m_doc->isUndoRedoEnabled())
        return false;
    m_doc->appendUndoItem(new FormatMarker);
    Classify();
    Record(std::move(op));
    return true;
}

} // namespace lumora
