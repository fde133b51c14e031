#pragma once

#include "document/document.h"
#include "rich_text/layer_journal.h"

#include <QObject>
#include <QTextCharFormat>
#include <QTextLayout>
#include <functional>

class QTextDocument;

namespace lumora {

class TextMirror;

// The formats of the editing area's text, kept as runs beside the text and
// applied to the paragraphs being laid out, not written fragment by fragment
// into Qt's document.  It follows every text change (typed text takes the
// format the editor's cursor would give it), keeps its changes in step with
// the undo history, and holds the document's pictures.
//
// Positions are text positions (CR LF counts two).
class FormatLayer : public QObject
{
    Q_OBJECT
public:
    using Change = std::function<void(CharFormat &)>;

    FormatLayer(QTextDocument *doc, TextMirror &mirror, QObject *parent = nullptr);

    const RunList &Runs() const { return m_runs; }
    const FormatTable &Formats() const { return m_formats; }
    int FormatId(const CharFormat &f) { return m_formats.Id(f); }
    const QVector<Picture> &Pictures() const { return m_pictures; }
    int FormatAt(int pos) const;

    // After the document was filled anew (its undo history is empty).
    void Reset(FormatTable formats, RunList runs, QVector<Picture> pictures);
    int AddPicture(Picture picture);
    // The next inserted text takes this format instead of the cursor's.
    void OverrideNextInsert(int format) { m_override = format; }
    // The next change replaces the cursor's selection by one paragraph break
    // of this format, whatever stretch Qt reports as changed (it reports a
    // whole paragraph when Enter on an empty line resets its format).
    void ExpectBreakAtCursor(int format) { m_breakFormat = format; }

    // Where the editor's cursor is (document positions), before any change.
    void SetCursor(int position, int anchor);
    // Changes the format text typed next at the cursor takes.
    void ChangePending(const Change &change);
    void ClearPending() { m_pending = -1; }
    // What text inserted at the cursor takes now.
    int CursorFormat() const;
    // Changes the formats of [from, to) as one undoable step.
    void ChangeRange(int from, int to, const Change &change);
    // Changes formats all over the document as one undoable step: painter
    // gets the text, the formats and the format table.
    using Painter = std::function<void(const QString &text, RunList &runs, FormatTable &formats)>;
    void Paint(const Painter &painter);
    // While suspended (the document is being filled anew) the layer follows
    // nothing; Reset() ends it.
    void SetSuspended(bool on) { m_suspended = on; }

    // Brings the formats in step after an undo or redo of format changes
    // alone (Qt reports no text change for those).
    void Sync();

    // Display: changes with every change of formats other than the text's own.
    int Revision() const { return m_revision; }
    QList<QTextLayout::FormatRange> BlockFormats(int textStart, int length);
    QTextCharFormat QtFormat(int id);
    // A format as Qt spells it, the face as asked for.
    static QTextCharFormat ToQt(const CharFormat &f);

signals:
    // Formats of [from, to) changed without a text change; the display
    // repaints what it shows of them.
    void FormatsChanged(int from, int to);

private:
    void OnTextChanged(int pos, int removed, const QString &addedText, const QString &oldText);
    int InheritedAt(int q, const QString &text) const;
    void Commit(int pos, RunList before);
    static void SnapToBreaks(const QString &text, int *from, int *to);

    QTextDocument *m_doc;
    TextMirror &m_mirror;
    LayerJournal m_journal;
    FormatTable m_formats;
    RunList m_runs;
    QVector<Picture> m_pictures;
    QVector<QTextCharFormat> m_qtFormats;
    QHash<QString, QString> m_faces;   // family asked for -> family to show
    int m_initial = 0;                 // what text typed into an empty first line takes
    int m_cursorPos = 0;               // text positions
    int m_cursorAnchor = 0;
    int m_pending = -1;
    int m_override = -1;
    int m_breakFormat = -1;
    int m_revision = 1;
    bool m_suspended = false;
};

} // namespace lumora
