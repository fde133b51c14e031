#include "rich_text/format_layer.h"

#include "document/ole_color.h"
#include "rich_text/text_mirror.h"

#include <QFontInfo>
#include <QTextDocument>
#include <utility>

namespace lumora {

FormatLayer::FormatLayer(QTextDocument *doc, TextMirror &mirror, QObject *parent)
    : QObject(parent), m_doc(doc), m_mirror(mirror), m_journal(doc), m_runs(mirror.Length(), 0)
{
    mirror.SetListener([this](int pos, int removed, const QString &added, const QString &oldText) {
        OnTextChanged(pos, removed, added, oldText);
    });
    connect(doc, &QTextDocument::contentsChanged, this, &FormatLayer::Sync);
}

int FormatLayer::FormatAt(int pos) const
{
    if (m_runs.IsEmpty())
        return 0;
    return m_runs.FormatAt(std::clamp(pos, 0, m_runs.Length() - 1));
}

void FormatLayer::Reset(FormatTable formats, RunList runs, QVector<Picture> pictures)
{
    m_formats = std::move(formats);
    m_runs = std::move(runs);
    m_pictures = std::move(pictures);
    m_qtFormats.clear();
    m_initial = m_runs.IsEmpty() ? 0 : m_formats.WithoutPicture(m_runs.Runs().front().format);
    m_pending = m_override = m_breakFormat = -1;
    m_cursorPos = m_cursorAnchor = 0;
    m_suspended = false;
    m_journal.Clear();
    ++m_revision;
}

int FormatLayer::AddPicture(Picture picture)
{
    m_pictures.append(std::move(picture));
    return int(m_pictures.size()) - 1;
}

void FormatLayer::SetCursor(int position, int anchor)
{
    const int pos = m_mirror.ToTextPos(position);
    if (pos != m_cursorPos)
        m_pending = -1;
    m_cursorPos = pos;
    m_cursorAnchor = m_mirror.ToTextPos(anchor);
}

// Text inserted at q takes the format of the character before it; at the
// start of a line that has characters, the format of the line's first
// character; at the very start of the document, the format the document
// started with.  A picture's format gives its look, not the picture.
int FormatLayer::InheritedAt(int q, const QString &text) const
{
    const int n = int(text.size());
    const bool lineStart = q == 0 || (q >= 2 && text[q - 1] == u'\n' && text[q - 2] == u'\r');
    int f;
    if (lineStart && q < n && text[q] != u'\r')
        f = m_runs.FormatAt(q);
    else if (q == 0 || m_runs.IsEmpty())
        f = m_initial;
    else
        f = m_runs.FormatAt(std::min(q, n) - 1);
    return const_cast<FormatTable &>(m_formats).WithoutPicture(f);
}

int FormatLayer::CursorFormat() const
{
    return m_pending >= 0 ? m_pending : InheritedAt(m_cursorPos, m_mirror.Raw());
}

void FormatLayer::OnTextChanged(int pos, int removed, const QString &addedText, const QString &oldText)
{
    const int added = int(addedText.size());
    const int newLength = int(oldText.size()) - removed + added;
    const LayerJournal::Step step = m_journal.Classify();
    if (step != LayerJournal::Step::Edit) {
        m_journal.Replay(step, m_runs);
        m_pending = m_override = -1;
        if (m_runs.Length() == newLength)
            return;
        // Out of step with the text (history dropped behind our back): keep
        // the text's formats plausible rather than wrong in length.
        m_runs = RunList(newLength, 0);
        m_journal.Clear();
        ++m_revision;
        emit FormatsChanged(0, newLength);
        return;
    }
    if (removed == 0 && added == 0)
        return;   // a change beyond the end of the text: a paragraph format
    // The editor's cursor decides the format when the change is its own:
    // text replacing its selection takes the format at its moving end.
    const int selFrom = std::min(m_cursorPos, m_cursorAnchor);
    const int selTo = std::max(m_cursorPos, m_cursorAnchor);
    const bool atCursor = selFrom == pos && selTo == pos + removed;
    // Qt reports changes of paragraph formats as changes of their text; the
    // characters stay, and so do their formats.
    if (!atCursor && removed == added && QStringView(oldText).mid(pos, removed) == QStringView(addedText))
        return;
    const int breakFormat = std::exchange(m_breakFormat, -1);
    if (breakFormat >= 0 && newLength == int(oldText.size()) - (selTo - selFrom) + 2 && selFrom >= pos
        && selTo <= pos + removed) {
        m_pending = m_override = -1;
        RunList before = m_runs.Slice(selFrom, selTo);
        RunList after(2, breakFormat);
        m_runs.Replace(selFrom, selTo - selFrom, after);
        m_journal.Record({selFrom, std::move(before), std::move(after)});
        return;
    }
    int format;
    if (m_override >= 0)
        format = m_override;
    else if (m_pending >= 0 && atCursor && removed == 0)
        format = m_pending;
    else
        format = InheritedAt(atCursor ? m_cursorPos : pos, oldText);
    if (added > 0 || removed > 0)
        m_pending = -1;
    m_override = -1;

    RunList before = m_runs.Slice(pos, pos + removed);
    RunList after(added, format);
    m_runs.Replace(pos, removed, after);
    m_journal.Record({pos, std::move(before), std::move(after)});
}

void FormatLayer::Sync()
{
    if (m_suspended)
        return;
    const LayerJournal::Step step = m_journal.Classify();
    if (step == LayerJournal::Step::Edit)
        return;
    m_journal.Replay(step, m_runs);
    m_pending = -1;
    ++m_revision;
    emit FormatsChanged(0, m_runs.Length());
}

void FormatLayer::ChangePending(const Change &change)
{
    CharFormat f = m_formats.At(CursorFormat());
    change(f);
    m_pending = m_formats.Id(f);
}

// A range never splits a CR LF: a range starting or ending between the two
// takes the whole break.
void FormatLayer::SnapToBreaks(const QString &text, int *from, int *to)
{
    const int n = int(text.size());
    *from = std::clamp(*from, 0, n);
    *to = std::clamp(*to, *from, n);
    if (*from > 0 && *from < n && text[*from] == u'\n' && text[*from - 1] == u'\r')
        --*from;
    if (*to > 0 && *to < n && text[*to] == u'\n' && text[*to - 1] == u'\r')
        ++*to;
}

void FormatLayer::Commit(int pos, RunList before)
{
    const int end = pos + before.Length();
    // Even a change that changes nothing is a step of its own, as a format
    // change in Qt's document always was: it ends what redo could bring back.
    RunList after = m_runs.Slice(pos, end);
    m_journal.RecordAlone({pos, std::move(before), std::move(after)});
    ++m_revision;
    emit FormatsChanged(pos, end);
}

void FormatLayer::ChangeRange(int from, int to, const Change &change)
{
    Sync();
    SnapToBreaks(m_mirror.Raw(), &from, &to);
    if (to <= from)
        return;
    RunList before = m_runs.Slice(from, to);
    RunList after;
    int at = 0;
    for (const FormatRun &r : before.Runs()) {
        CharFormat f = m_formats.At(r.format);
        change(f);
        after.Append(r.end - at, m_formats.Id(f));
        at = r.end;
    }
    m_runs.Replace(from, to - from, after);
    Commit(from, std::move(before));
}

void FormatLayer::Paint(const Painter &painter)
{
    Sync();
    // The document's formats before, kept whole: undo and redo trade them
    // for the current ones at no cost.
    RunList before = m_runs;
    painter(m_mirror.Raw(), m_runs, m_formats);
    LayerOp op;
    op.before = std::move(before);
    op.whole = true;
    m_journal.RecordAlone(std::move(op));
    ++m_revision;
    emit FormatsChanged(0, m_runs.Length());
}

QList<QTextLayout::FormatRange> FormatLayer::BlockFormats(int textStart, int length)
{
    QList<QTextLayout::FormatRange> out;
    if (length <= 0 || m_runs.IsEmpty())
        return out;
    const int end = std::min(textStart + length, m_runs.Length());
    const auto &runs = m_runs.Runs();
    for (size_t i = m_runs.RunAt(textStart); i < runs.size() && m_runs.RunStart(i) < end; ++i) {
        if (runs[i].format == 0)
            continue;
        const int s = std::max(m_runs.RunStart(i), textStart);
        const int e = std::min(runs[i].end, end);
        out.append(QTextLayout::FormatRange{s - textStart, e - s, QtFormat(runs[i].format)});
    }
    return out;
}

QTextCharFormat FormatLayer::ToQt(const CharFormat &f)
{
    QTextCharFormat q;
    if (!f.family.isEmpty())
        q.setFontFamilies({f.family});
    if (f.halfPoints > 0)
        q.setFontPointSize(f.halfPoints / 2.0);
    if (f.color)
        q.setForeground(ColorFromOle(*f.color));
    if (f.bold)
        q.setFontWeight(QFont::Bold);
    if (f.italic)
        q.setFontItalic(true);
    if (f.underline)
        q.setFontUnderline(true);
    if (f.strike)
        q.setFontStrikeOut(true);
    return q;
}

QTextCharFormat FormatLayer::QtFormat(int id)
{
    while (m_qtFormats.size() <= id) {
        const CharFormat &f = m_formats.At(int(m_qtFormats.size()));
        QTextCharFormat q = ToQt(f);
        if (!f.family.isEmpty()) {
            // Matching a face that is not installed is slow; each name is
            // matched once and the face found is what the text asks for.
            auto face = m_faces.constFind(f.family);
            if (face == m_faces.constEnd())
                face = m_faces.insert(f.family, QFontInfo(QFont(f.family)).family());
            q.setFontFamilies({*face});
        }
        m_qtFormats.append(q);
    }
    return m_qtFormats[id];
}

} // namespace lumora
