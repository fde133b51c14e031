#pragma once

#include <QObject>
#include <QString>
#include <vector>

class QTextDocument;

namespace lumora {

// The document's plain text as the rest of the program counts it: every
// paragraph break is the two characters CR LF.  The mirror keeps that text and
// a case-folded copy of it (same length, same positions) for searching, and
// patches both when the document changes instead of rebuilding them, so that
// reading the text or searching a large document stays cheap.
//
// Text positions ("text pos") are those CR LF positions; document positions
// ("doc pos") are QTextDocument's, where a paragraph break is one character.
// This class is the one place that converts between them.
class TextMirror : public QObject
{
    Q_OBJECT
public:
    explicit TextMirror(QTextDocument *doc, QObject *parent = nullptr);

    const QString &Text() const;
    const QString &Folded() const;
    int Length() const { return Text().size(); }

    // A text position inside a CR LF pair lands on the break itself: rounding
    // down keeps the break out of a range ending there, rounding up takes it in.
    int ToDocPos(int textPos, bool roundUp = false) const;
    int ToTextPos(int docPos) const;

    // While set, document changes are taken as formatting only and the text
    // is not re-read.  Only code that changes nothing but character formats
    // may set it.
    void SetFormatOnly(bool on) { m_formatOnly = on; }

    // Drops the mirror; the next read rebuilds it from the document.
    void Invalidate() { m_valid = false; }
    // While set, changes are not followed at all; clearing it drops the
    // mirror.  For replacing the whole document, where patching would only
    // do a rebuild's work twice.
    void SetSuspended(bool on)
    {
        m_suspended = on;
        if (!on)
            m_valid = false;
    }

    static QString Fold(const QString &s);

private:
    void OnContentsChange(int pos, int removed, int added);
    void Rebuild() const;
    bool Consistent() const;
    int OldTextPos(int docPos) const;
    QString DocRangeAsText(int docPos, int docLen) const;

    QTextDocument *m_doc;
    bool m_formatOnly = false;
    bool m_suspended = false;
    mutable bool m_valid = false;
    mutable QString m_text;
    mutable QString m_folded;
    // Text position at which each paragraph starts.
    mutable std::vector<int> m_lineStart;
};

// Sets TextMirror::SetFormatOnly for one scope.
class FormatOnlyScope
{
public:
    explicit FormatOnlyScope(TextMirror &m) : m_mirror(m) { m_mirror.SetFormatOnly(true); }
    ~FormatOnlyScope() { m_mirror.SetFormatOnly(false); }
    FormatOnlyScope(const FormatOnlyScope &) = delete;
    FormatOnlyScope &operator=(const FormatOnlyScope &) = delete;

private:
    TextMirror &m_mirror;
};

// Suspends a TextMirror for one scope.
class MirrorSuspendScope
{
public:
    explicit MirrorSuspendScope(TextMirror &m) : m_mirror(m) { m_mirror.SetSuspended(true); }
    ~MirrorSuspendScope() { m_mirror.SetSuspended(false); }
    MirrorSuspendScope(const MirrorSuspendScope &) = delete;
    MirrorSuspendScope &operator=(const MirrorSuspendScope &) = delete;

private:
    TextMirror &m_mirror;
};

} // namespace lumora
