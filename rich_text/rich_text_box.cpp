#include "rich_text_box.h"

#include "fonts.h"
#include "pictures.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>
#include <QTextCursor>

namespace lumora {

QString NormalizeLineBreaks(const QString &text)
{
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return t;
}

QFont RichTextBox::DefaultFont()
{
    InstallFontSubstitutes();
    QFont f(QStringLiteral("宋体"));
    f.setPointSizeF(9.0);
    f.setWeight(QFont::Normal);
    return f;
}

RichTextBox::RichTextBox(QWidget *parent) : QPlainTextEdit(parent), m_mirror(document(), this)
{
    setObjectName(QStringLiteral("RichTextBox1"));
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    RegisterPictureDrawing(document());
    document()->setDefaultFont(DefaultFont());
    setFont(DefaultFont());
}

int RichTextBox::Find(const QString &what, int start, int end)
{
    const QString &hay = m_mirror.Folded();
    const int len = int(hay.size());
    if (what.isEmpty() || start > len)
        return -1;
    const int from = std::max(0, start);
    const int limit = (end < 0 || end > len) ? len : end;
    const int at = int(hay.indexOf(TextMirror::Fold(what), from, Qt::CaseSensitive));
    if (at < 0 || at + what.size() > limit)
        return -1;
    Select(at, int(what.size()));
    return at;
}

void RichTextBox::Select(int start, int length)
{
    const int len = TextLength();
    const int s0 = std::clamp(start, 0, len);
    const int s1 = std::clamp(s0 + std::max(0, length), s0, len);
    QTextCursor c(document());
    c.setPosition(ToDocPos(s0, false));
    if (s1 > s0)
        c.setPosition(ToDocPos(s1, true), QTextCursor::KeepAnchor);
    setTextCursor(c);
}

int RichTextBox::SelStart() const
{
    return ToTextPos(textCursor().selectionStart());
}

void RichTextBox::SetSelStart(int start)
{
    Select(start, 0);
}

int RichTextBox::SelLength() const
{
    const QTextCursor c = textCursor();
    return ToTextPos(c.selectionEnd()) - ToTextPos(c.selectionStart());
}

void RichTextBox::SetSelLength(int length)
{
    Select(SelStart(), length);
}

QString RichTextBox::SelText() const
{
    return Text().mid(SelStart(), SelLength());
}

void RichTextBox::SetSelText(const QString &text)
{
    QTextCursor c = textCursor();
    // Its own undo step: without the block, text put in right after typing
    // would merge with the typing and one undo would take both away.
    c.beginEditBlock();
    c.insertText(NormalizeLineBreaks(text));
    c.endEditBlock();
    setTextCursor(c);
}

OleColor RichTextBox::SelColor() const
{
    return OleFromColor(textCursor().charFormat().foreground().color());
}

void RichTextBox::MergeSelFormat(const QTextCharFormat &fmt)
{
    FormatOnlyScope scope(m_mirror);
    mergeCurrentCharFormat(fmt);
}

void RichTextBox::SetSelColor(OleColor color)
{
    QTextCharFormat f;
    f.setForeground(ColorFromOle(color));
    MergeSelFormat(f);
}

void RichTextBox::SetSelFontName(const QString &name)
{
    QTextCharFormat f;
    f.setFontFamilies({name});
    MergeSelFormat(f);
}

void RichTextBox::SetSelFontSize(float points)
{
    if (!(points > 0.0f))
        return;
    QTextCharFormat f;
    f.setFontPointSize(double(points));
    MergeSelFormat(f);
}

void RichTextBox::SetSelBold(bool on)
{
    QTextCharFormat f;
    f.setFontWeight(on ? QFont::Bold : QFont::Normal);
    MergeSelFormat(f);
}

void RichTextBox::SetSelItalic(bool on)
{
    QTextCharFormat f;
    f.setFontItalic(on);
    MergeSelFormat(f);
}

void RichTextBox::SetSelStrikeThru(bool on)
{
    QTextCharFormat f;
    f.setFontStrikeOut(on);
    MergeSelFormat(f);
}

void RichTextBox::SetSelUnderline(bool on)
{
    QTextCharFormat f;
    f.setFontUnderline(on);
    MergeSelFormat(f);
}

void RichTextBox::SetFocus()
{
    QWidget *w = window();
    if (w->isMinimized())
        w->showNormal();
    w->raise();
    w->activateWindow();
    setFocus(Qt::OtherFocusReason);
}

void RichTextBox::SetWordWrap(bool on)
{
    setLineWrapMode(on ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}

void RichTextBox::InsertPicture(const QImage &image)
{
    QTextCursor c = textCursor();
    lumora::InsertPicture(c, image);
    setTextCursor(c);
}

namespace {
// Files dragged from a file manager come as their addresses, which Qt would
// also offer as text.  They are neither text to insert nor documents to open
// (opening one would replace unsaved work without a word).
bool CarriesFiles(const QMimeData *source)
{
    for (const QUrl &url : source->urls())
        if (url.isLocalFile())
            return true;
    return false;
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
    if (source && !CarriesFiles(source) && source->hasText())
        SetSelText(source->text());
}

// Shift+Enter would insert a soft line break; a plain text editor user
// expects a new line, and the plain text should hold CR LF there.
void RichTextBox::keyPressEvent(QKeyEvent *e)
{
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && (e->modifiers() & Qt::ShiftModifier)) {
        textCursor().insertBlock();
        ensureCursorVisible();
        return;
    }
    QPlainTextEdit::keyPressEvent(e);
}

} // namespace lumora
