#include "rich_text/selection_data.h"

#include "document/html_writer.h"
#include "rich_text/rich_text_box.h"

namespace lumora {

namespace {
const QString kText = QStringLiteral("text/plain");
const QString kHtml = QStringLiteral("text/html");

// Below this many characters a selection is built when it is offered.
constexpr int kBuiltAtOnce = 64 * 1024;

// The text as Ctrl+C gives it: CR LF as LF, soft breaks as vertical tabs,
// pictures left out.
QString PlainText(const QString &raw)
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
        BuildNow();
}

void SelectionData::Build()
{
    if (!m_built && CanBuild())
        BuildNow();
}

bool SelectionData::CanBuild() const
{
    return m_editor && m_editor->ChangeCount() == m_changes;
}

void SelectionData::BuildNow() const
{
    const Document part = m_editor->Excerpt(m_from, m_to);
    m_text = PlainText(part.text);
    m_html = QStringLiteral("<pre>") + HtmlBody(part, 0, int(part.text.size())) + QStringLiteral("</pre>");
    m_built = true;
}

bool SelectionData::hasFormat(const QString &mimeType) const
{
    return (mimeType == kText || mimeType == kHtml) && (m_built || CanBuild());
}

QStringList SelectionData::formats() const
{
    if (m_built || CanBuild())
        return {kText, kHtml};
    return {};
}

QVariant SelectionData::retrieveData(const QString &mimeType, QMetaType type) const
{
    if (mimeType != kText && mimeType != kHtml)
        return QVariant();
    if (!m_built) {
        if (!CanBuild())
            return QVariant();
        BuildNow();
    }
    const QString &s = mimeType == kText ? m_text : m_html;
    if (type.id() == QMetaType::QByteArray)
        return s.toUtf8();
    return s;
}

} // namespace lumora
