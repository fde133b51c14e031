#pragma once

#include "document/document.h"

#include <QMimeData>
#include <QPointer>

namespace lumora {

class RichTextBox;

// What the editor offers for a selection: its text (line feeds for breaks,
// pictures left out) and its look as HTML.  On X11 Qt offers every new
// selection as the primary selection, and a selection of a whole listing
// would otherwise be converted and marked up at each Shift+arrow; so this
// builds each only when someone first reads it, in one pass over the
// selection, and keeps it from then on.
//
// Until then it reads the editor, so it is only good while the editor is
// as it was: once the text or the formats changed (or the editor is gone)
// it offers only what was read before, never a stretch of the changed text.  A
// copy to the clipboard must outlive such changes, so it takes its own copy
// of the selection (text and formats) at once (Keep()) and still builds the
// text and the HTML when first read; small selections are built at once, as
// that costs next to nothing.
class SelectionData : public QMimeData
{
    Q_OBJECT
public:
    SelectionData(const RichTextBox &editor, int from, int to);

    // Makes the data independent of the editor now, if the editor is still
    // as it was: a copy of the selection, or for a small one its text and
    // HTML.
    void Keep();
    bool IsBuilt() const { return m_textBuilt || m_htmlBuilt; }

    bool hasFormat(const QString &mimeType) const override;
    QStringList formats() const override;

protected:
    QVariant retrieveData(const QString &mimeType, QMetaType type) const override;

private:
    bool CanBuild() const;
    void BuildText() const;
    void BuildHtml() const;

    QPointer<const RichTextBox> m_editor;
    const int m_from, m_to;
    const quint64 m_changes;        // the editor's change count when made
    mutable bool m_textBuilt = false;
    mutable bool m_htmlBuilt = false;
    mutable QString m_text;
    mutable QString m_html;
    Document m_kept;                // the selection, once kept
    bool m_isKept = false;
};

} // namespace lumora
