#include "rich_text/selection_data.h"

#include "document/html_writer.h"
#include "rich_text/rich_text_box.h"

#include <algorithm>

namespace lumora {

namespace {
const QString kText = QStringLiteral("text/plain");
const QString kHtml = QStringLiteral("text/html");

// Below this many characters a selection is built when it is offered.
constexpr int kBuiltAtOnce = 64 * 1024;

// The text as Ctrl+C gives it: CR LF as LF, soft breaks as vertical tabs,
// pictures left out.
QString PlainText(QStringView raw)
{
    QString out(raw.size(), Qt::Uninitialized);
    QChar *o = out.data();
    const qsizetype n = raw.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = raw[i];
        if (c == u'\r' && i + 1 < n && raw[i + 1] == u'\n')
            continue;   // the LF that follows stands for the pair
        if (c == QChar::ObjectReplacementCharacter)
            continue;
        *o++ = c == QChar::LineSeparator ? QChar(u'\v') : c;
    }
    out.truncate(o - out.constData());
    return out;
}
} // namespace

SelectionData::SelectionData(const RichTextBox &editor, int from, int to)
    : m_editor(&editor), m_from(from), m_to(to), m_changes(editor.ChangeCount())
{
    if (to - from <= kBuiltAtOnce)
        Keep();
}

void SelectionData::Keep()
{
    if (m_isKept || !CanBuild())
        return;
    if (m_to - m_from > kBuiltAtOnce) {
        // The text and the HTML of a whole listing take a second to make;
        // the copy of the selection they are made from, a fifth of that.
        m_kept = m_editor->Excerpt(m_from, m_to);
        m_isKept = true;
        return;
    }
    if (!m_textBuilt)
        BuildText();
    if (!m_htmlBuilt)
        BuildHtml();
}

bool SelectionData::CanBuild() const
{
    return m_isKept || (m_editor && m_editor->ChangeCount() == m_changes);
}

// Only the selection is read: the whole text would be built anew after
// every edit, a tenth of a second at a million lines for a selection of one.
void SelectionData::BuildText() const
{
    if (m_isKept) {
        m_text = PlainText(m_kept.text);
        m_textBuilt = true;
        return;
    }
    const TextStore &store = m_editor->Buffer().Store();
    const int from = std::clamp(m_from, 0, store.Length());
    m_text = PlainText(store.Text(from, std::clamp(m_to, from, store.Length()) - from));
    m_textBuilt = true;
}

void SelectionData::BuildHtml() const
{
    const Document part = m_isKept ? m_kept : m_editor->Excerpt(m_from, m_to);
    m_html = QStringLiteral("<pre>") + HtmlBody(part, 0, int(part.text.size())) + QStringLiteral("</pre>");
    m_htmlBuilt = true;
}

bool SelectionData::hasFormat(const QString &mimeType) const
{
    return formats().contains(mimeType);
}

QStringList SelectionData::formats() const
{
    const bool fresh = CanBuild();
    QStringList out;
    if (fresh || m_textBuilt)
        out << kText;
    if (fresh || m_htmlBuilt)
        out << kHtml;
    return out;
}

QVariant SelectionData::retrieveData(const QString &mimeType, QMetaType type) const
{
    const bool text = mimeType == kText;
    if (!text && mimeType != kHtml)
        return QVariant();
    bool &built = text ? m_textBuilt : m_htmlBuilt;
    if (!built) {
        if (!CanBuild())
            return QVariant();
        text ? BuildText() : BuildHtml();
    }
    const QString &s = text ? m_text : m_html;
    if (type.id() == QMetaType::QByteArray)
        return s.toUtf8();
    return s;
}

} // namespace lumora
