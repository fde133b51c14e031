#include "rich_text/rich_text_box.h"

#include "rich_text/qt_formats.h"
#include "rich_text/selection_data.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QUrl>
#include <algorithm>
#include <cmath>

namespace lumora {

OleColor RichTextBox::SelColor() const
{
    return Buffer().Store().Formats().At(Buffer().CursorFormat()).color.value_or(0);
}

QTextCharFormat RichTextBox::FormatAt(int textPos) const
{
    const TextStore &store = Buffer().Store();
    if (store.Length() == 0)
        return ToQtFormat(store.Formats().At(0));
    return ToQtFormat(store.Formats().At(store.FormatAt(std::clamp(textPos, 0, store.Length() - 1))));
}

void RichTextBox::ChangeSelFormat(const std::function<void(CharFormat &)> &change)
{
    Buffer().ChangeSelectionFormat(change);
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
    Buffer().Paint(painter);
}

bool RichTextBox::PaintFormatsByParagraphs(const EditBuffer::PiecePainter &painter, int pieceChars,
                                           const std::function<void(const QString &next)> &ahead)
{
    return Buffer().PaintByParagraphs(painter, pieceChars, ahead);
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
bool RichTextBox::CanInsertFromMimeData(const QMimeData *source) const
{
    return source && !CarriesFiles(source) && source->hasText();
}

// Pasting and dropping take plain text only: formatting from other programs
// does not come along, and line breaks arrive as paragraph breaks.
void RichTextBox::InsertFromMimeData(const QMimeData *source)
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
// read it, the colours and styles as HTML, each built when first read (see
// SelectionData).  Whatever lands on the clipboard proper (Ctrl+C, cutting,
// the menu) keeps its own copy of the selection there and then, as the text
// it was made from may change at once.
QMimeData *RichTextBox::CreateMimeDataFromSelection() const
{
    const int from = SelStart();
    auto *data = new SelectionData(*this, from, from + SelLength());
    QClipboard *clipboard = QGuiApplication::clipboard();
    connect(clipboard, &QClipboard::changed, data, [data, clipboard](QClipboard::Mode mode) {
        if (mode != QClipboard::Selection && clipboard->mimeData(mode) == data)
            data->Keep();
    });
    return data;
}

QMimeData *RichTextBox::CreateClipboardData() const
{
    const int from = SelStart();
    auto *data = new SelectionData(*this, from, from + SelLength());
    data->Keep();
    return data;
}

void RichTextBox::Copy() const
{
    QGuiApplication::clipboard()->setMimeData(CreateClipboardData());
}

} // namespace lumora
