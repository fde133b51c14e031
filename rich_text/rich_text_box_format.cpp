#include "rich_text/rich_text_box.h"

#include "rich_text/format_layer.h"
#include "rich_text/selection_data.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QTextCursor>
#include <QUrl>
#include <algorithm>
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

Document RichTextBox::Excerpt(int from, int to) const
{
    const QString &raw = RawText();
    from = std::clamp(from, 0, int(raw.size()));
    to = std::clamp(to, from, int(raw.size()));
    Document d;
    d.text = raw.mid(from, to - from);
    d.formats = m_layer->Formats();
    d.runs = m_layer->Runs().Slice(from, to);
    d.pictures = m_layer->Pictures();
    return d;
}

// The layer's revision counts changes of formats alone; the text's changes
// are counted beside it.  Both only grow, so their sum does too.
quint64 RichTextBox::ChangeCount() const
{
    return m_textChanges + quint64(m_layer->Revision());
}

// Copying from the editor gives other programs the text and, for those that
// read it, the colours and styles as HTML.  What is made here is built when
// first read (see SelectionData); whatever lands on the clipboard proper
// (Ctrl+C, cutting, the menu) is built there and then, as the text it was
// made from may change at once.
QMimeData *RichTextBox::createMimeDataFromSelection() const
{
    const int from = SelStart();
    auto *data = new SelectionData(*this, from, from + SelLength());
    QClipboard *clipboard = QGuiApplication::clipboard();
    connect(clipboard, &QClipboard::changed, data, [data, clipboard](QClipboard::Mode mode) {
        if (mode != QClipboard::Selection && clipboard->mimeData(mode) == data)
            data->Build();
    });
    return data;
}

void RichTextBox::Copy() const
{
    const int from = SelStart();
    auto *data = new SelectionData(*this, from, from + SelLength());
    data->Build();
    QGuiApplication::clipboard()->setMimeData(data);
}

} // namespace lumora
