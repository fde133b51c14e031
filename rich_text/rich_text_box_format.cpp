#include "rich_text/rich_text_box.h"

#include "rich_text/format_layer.h"
#include "document/html_writer.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QTextCursor>
#include <QUrl>
#include <cmath>

namespace lumora {

namespace {
constexpr int kLayerFormatProperty = QTextFormat::UserProperty + 1;
} // namespace

OleColor RichTextBox::SelColor() const
{
    return m_layer->Formats().At(m_layer->CursorFormat()).color.value_or(0);
}

QTextCharFormat RichTextBox::FormatAt(int textPos) const
{
    return FormatLayer::ToQt(m_layer->Formats().At(m_layer->FormatAt(textPos)));
}

// Qt merges typing into one undo step only where the formats of its
// document agree; the format Qt gives inserted text names the layer's format
// for it, so that Qt merges exactly where it did when colours lived in its
// document.
QTextCharFormat RichTextBox::InsertFormat() const
{
    QTextCharFormat f;
    const int id = m_layer->CursorFormat();
    if (id != 0)
        f.setProperty(kLayerFormatProperty, id);
    return f;
}

void RichTextBox::ChangeSelFormat(const std::function<void(CharFormat &)> &change)
{
    const QTextCursor c = textCursor();
    if (c.hasSelection())
        m_layer->ChangeRange(ToTextPos(c.selectionStart()), ToTextPos(c.selectionEnd()), change);
    else
        m_layer->ChangePending(change);
}

void RichTextBox::SetSelColor(OleColor color)
{
    ChangeSelFormat([color](CharFormat &f) { f.color = color & 0xFFFFFF; });
}

void RichTextBox::SetSelFontName(const QString &name)
{
    ChangeSelFormat([name](CharFormat &f) { f.family = name == kDefaultFamily ? QString() : name; });
}

void RichTextBox::SetSelFontSize(float points)
{
    if (!(points > 0.0f))
        return;
    const int half = int(std::clamp<long>(std::lround(double(points) * 2), 1, 3276));
    ChangeSelFormat([half](CharFormat &f) { f.halfPoints = half == kDefaultHalfPoints ? 0 : half; });
}

void RichTextBox::SetSelBold(bool on)
{
    ChangeSelFormat([on](CharFormat &f) { f.bold = on; });
}

void RichTextBox::SetSelItalic(bool on)
{
    ChangeSelFormat([on](CharFormat &f) { f.italic = on; });
}

void RichTextBox::SetSelStrikeThru(bool on)
{
    ChangeSelFormat([on](CharFormat &f) { f.strike = on; });
}

void RichTextBox::SetSelUnderline(bool on)
{
    ChangeSelFormat([on](CharFormat &f) { f.underline = on; });
}

void RichTextBox::PaintFormats(const std::function<void(const QString &, RunList &, FormatTable &)> &painter)
{
    m_layer->Paint(painter);
}

namespace {
// Files dragged from a file manager come as their addresses, which Qt would
// also offer as text.  They are neither text to insert nor documents to open
// (opening one would replace unsaved work without a word).
bool CarriesFiles(const QMimeData *source)
{
    const QList<QUrl> urls = source->urls();
    return std::any_of(urls.begin(), urls.end(), [](const QUrl &u) { return u.isLocalFile(); });
}
} // namespace

// Refusing here makes the drag show "no drop" and the drop insert nothing.
bool RichTextBox::canInsertFromMimeData(const QMimeData *source) const
{
    return source && !CarriesFiles(source) && QPlainTextEdit::canInsertFromMimeData(source);
}

// Pasting and dropping take plain text only: formatting from other programs
// does not come along, and line breaks arrive as paragraph breaks.
void RichTextBox::insertFromMimeData(const QMimeData *source)
{
    if (!source || CarriesFiles(source) || !source->hasText())
        return;
    QString why;
    if (!CanInsert(source->text(), &why)) {
        if (m_notice)
            m_notice(why);
        return;
    }
    SetSelText(source->text());
}

// Copying from the editor gives other programs the text and, for those that
// read it, the colours and styles as HTML.
QMimeData *RichTextBox::createMimeDataFromSelection() const
{
    auto *data = new QMimeData;
    const int from = SelStart(), to = from + SelLength();
    QString text = Text().mid(from, to - from);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.remove(QChar::ObjectReplacementCharacter);
    data->setText(text);
    data->setHtml(QStringLiteral("<pre>") + HtmlBody(Snapshot(), from, to) + QStringLiteral("</pre>"));
    return data;
}

void RichTextBox::Copy() const
{
    QGuiApplication::clipboard()->setMimeData(createMimeDataFromSelection());
}

} // namespace lumora
