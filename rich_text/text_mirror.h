#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <vector>

class QTextDocument;

namespace lumora {

// The document's plain text as the rest of the program counts it: every
// paragraph break is the two characters CR LF.  The mirror keeps that text
// and patches it when the document changes instead of rebuilding it, so that
// reading the text of a large document stays cheap, and tells a listener
// which stretch of text positions changed.
//
// Text positions ("text pos") are those CR LF positions; document positions
// ("doc pos") are QTextDocument's, where a paragraph break is one character.
// This class is the one place that converts between them.
class TextMirror : public QObject
{
    Q_OBJECT
public:
    // [pos, pos + removed) of oldText became `added`.  Called before the
    // mirror takes the change; the listener must not call back.
    using Listener = std::function<void(int pos, int removed, const QString &added, const QString &oldText)>;

    explicit TextMirror(QTextDocument *doc, QObject *parent = nullptr);

    // The document's own characters with CR LF between paragraphs; a soft
    // line break is U+2028, a picture U+FFFC.
    const QString &Raw() const;
    // The same, with each soft line break shown as '\v', as rich-edit
    // controls report it.  Same length and positions as Raw().
    const QString &Text() const;
    int Length() const { return int(Raw().size()); }

    // A text position inside a CR LF pair lands on the break itself: rounding
    // down keeps the break out of a range ending there, rounding up takes it in.
    int ToDocPos(int textPos, bool roundUp = false) const;
    int ToTextPos(int docPos) const;
    // Text position where paragraph `block` starts.
    int LineStart(int block) const;

    void SetListener(Listener listener) { m_listener = std::move(listener); }


    // While set, changes are not followed at all; Reset() must follow.  For
    // filling the whole document, where patching would do a rebuild's work
    // many times over.
    void SetSuspended(bool on) { m_suspended = on; }
    // The document now holds exactly this text (CR LF between paragraphs).
    void Reset(QString raw);

private:
    void OnContentsChange(int pos, int removed, int added);
    void Rebuild() const;
    bool Consistent() const;
    int OldTextPos(int docPos) const;
    QString DocRangeAsText(int docPos, int docLen) const;
    void IndexLines() const;

    QTextDocument *m_doc;
    Listener m_listener;
    bool m_suspended = false;
    mutable bool m_valid = false;
    mutable QString m_raw;
    mutable QString m_shown;           // Raw() with '\v' for U+2028, built on demand
    mutable bool m_shownValid = false;
    mutable int m_softBreaks = 0;
    // Text position at which each paragraph starts.
    mutable std::vector<int> m_lineStart;
};

} // namespace lumora
