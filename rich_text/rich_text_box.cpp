#include "rich_text/rich_text_box.h"

#include "shared_ui/fonts.h"
#include "rich_text/format_layer.h"
#include "rich_text/layer_layout.h"
#include "rich_text/pictures.h"
#include "document/case_fold.h"
#include "rich_text/text_mirror.h"
#include "document/text_lines.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QPointer>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace lumora {

bool RichTextBox::CanInsert(const QString &text, QString *why) const
{
    // The line the text lands in keeps what stands before the selection on
    // its first line and what follows it on its last.
    const QString &t = Text();
    const int from = SelStart(), to = from + SelLength();
    const int lineStart = int(t.lastIndexOf(QLatin1Char('\n'), from - 1)) + 1;
    int lineEnd = int(t.indexOf(QLatin1Char('\r'), to));
    lineEnd = lineEnd < 0 ? int(t.size()) : lineEnd;
    const qsizetype firstBreak = text.indexOf(QRegularExpression(QStringLiteral("[\r\n]")));
    qint64 longest = LongestLine(text);
    if (firstBreak < 0) {
        longest = qint64(from - lineStart) + text.size() + (lineEnd - to);
    } else {
        const qsizetype lastBreak = std::max(text.lastIndexOf(u'\n'), text.lastIndexOf(u'\r'));
        longest = std::max({longest, qint64(from - lineStart) + firstBreak,
                            qint64(text.size() - lastBreak - 1) + (lineEnd - to)});
    }
    if (longest <= kMaxLineChars)
        return true;
    if (why)
        *why = LineTooLongMessage(longest);
    return false;
}

QFont RichTextBox::DefaultFont()
{
    InstallFontSubstitutes();
    QFont f(kDefaultFamily);
    f.setPointSizeF(kDefaultHalfPoints / 2.0);
    f.setWeight(QFont::Normal);
    return f;
}

RichTextBox::RichTextBox(QWidget *parent) : QPlainTextEdit(parent)
{
    setObjectName(QStringLiteral("RichTextBox1"));
    auto *doc = new QTextDocument(this);
    m_layout = new LayerLayout(doc);
    doc->setDocumentLayout(m_layout);
    setDocument(doc);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // A vertical scroll bar that came and went would change the text's width
    // and make Qt lay out every paragraph anew, a layout object each.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RegisterPictureDrawing(doc);
    doc->setDefaultFont(DefaultFont());
    setFont(DefaultFont());
    m_mirror = new TextMirror(doc, this);
    m_layer = new FormatLayer(doc, *m_mirror, this);
    m_layout->SetLayer(m_layer, m_mirror);
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, [this] {
        const QTextCursor c = textCursor();
        m_layer->SetCursor(c.position(), c.anchor());
    });
    connect(this, &QPlainTextEdit::selectionChanged, this, [this] {
        const QTextCursor c = textCursor();
        m_layer->SetCursor(c.position(), c.anchor());
    });
    connect(m_layer, &FormatLayer::FormatsChanged, viewport(), [this] { viewport()->update(); });
    // Qt's own flag sees every change of the text; a change of formats alone
    // never reaches it.
    connect(m_layer, &FormatLayer::FormatsChanged, this, [this] { m_formatsChanged = true; });
    connect(doc, &QTextDocument::contentsChange, this, [this] { ++m_textChanges; });
}

bool RichTextBox::IsModified() const
{
    return m_formatsChanged || document()->isModified();
}

void RichTextBox::SetModified(bool on)
{
    m_formatsChanged = on;
    document()->setModified(on);
}

RichTextBox::~RichTextBox()
{
    // The layer and the mirror go before the document that reports to them.
    m_mirror->SetListener({});
    m_layout->SetLayer(nullptr, nullptr);
}

const QString &RichTextBox::Text() const { return m_mirror->Text(); }
const QString &RichTextBox::RawText() const { return m_mirror->Raw(); }
int RichTextBox::TextLength() const { return m_mirror->Length(); }
int RichTextBox::ToDocPos(int textPos, bool roundUp) const { return m_mirror->ToDocPos(textPos, roundUp); }
int RichTextBox::ToTextPos(int docPos) const { return m_mirror->ToTextPos(docPos); }

int RichTextBox::Find(const QString &what, int start, int end)
{
    const QString &hay = Text();
    const int len = int(hay.size());
    if (what.isEmpty() || start > len)
        return -1;
    const int from = std::max(0, start);
    const int limit = (end < 0 || end > len) ? len : end;
    const int at = int(FoldedIndexOf(hay, FoldCase(what), from));
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
    // A new cursor: what the old one held for text typed next is gone.
    m_layer->ClearPending();
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
    if (!CanInsert(text, nullptr))
        return;   // callers that can tell the user check first
    const QString t = NormalizeLineBreaks(text);
    const QTextCharFormat format = InsertFormat();
    QTextCursor c = textCursor();
    // Its own undo step: without the block, text put in right after typing
    // would merge with the typing and one undo would take both away.
    c.beginEditBlock();
    if (t.size() <= 2 * kSliceChars || !m_progressMaker) {
        c.insertText(t, format);
        c.endEditBlock();
        setTextCursor(c);
        return;
    }
    // A long paste goes in slice by slice, each joined to the same undo
    // step; between slices the window repaints and no edit block is open.
    const Progress progress = m_progressMaker();
    QPointer<RichTextBox> alive(this);
    for (qsizetype at = 0; at < t.size();) {
        if (at > 0)
            c.joinPreviousEditBlock();
        const qsizetype n = std::min<qsizetype>(kSliceChars, t.size() - at);
        c.insertText(t.mid(at, n), format);
        c.endEditBlock();
        at += n;
        if (!progress(at, t.size()) || !alive)
            return;
    }
    setTextCursor(c);
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
    Picture p;
    p.image = image;
    p.width = image.width();
    p.height = image.height();
    CharFormat f;
    f.picture = m_layer->AddPicture(std::move(p));
    m_layer->OverrideNextInsert(m_layer->FormatId(f));
    QTextCursor c = textCursor();
    lumora::InsertPicture(c, image);
    setTextCursor(c);
}

// A key that types its text (not a shortcut): Ctrl alone is a shortcut,
// Ctrl with Alt is AltGr on many layouts.
bool RichTextBox::IsTyping(const QKeyEvent *e)
{
    const QString text = e->text();
    if (text.isEmpty())
        return false;
    const Qt::KeyboardModifiers mods = e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (mods == Qt::ControlModifier || (mods & Qt::MetaModifier))
        return false;
    const QChar c = text.at(0);
    return c.isPrint() || c == u'\t' || c.category() == QChar::Other_PrivateUse
        || (c.isHighSurrogate() && text.size() > 1 && text.at(1).isLowSurrogate());
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
    if (IsTyping(e) && !isReadOnly()) {
        QTextCursor c = textCursor();
        c.insertText(e->text(), InsertFormat());
        setTextCursor(c);
        ensureCursorVisible();
        return;
    }
    // Enter on an empty line starts the new line plain, as Qt's own editor
    // does; elsewhere the break takes the format typed text would.
    if (e->matches(QKeySequence::InsertParagraphSeparator) && textCursor().block().length() == 1)
        m_layer->ExpectBreakAtCursor(0);
    QPlainTextEdit::keyPressEvent(e);
    m_layer->ExpectBreakAtCursor(-1);
}

// The paragraphs about to be shown get their formats from the layer first.
void RichTextBox::paintEvent(QPaintEvent *e)
{
    const int height = viewport()->height();
    const QPointF offset = contentOffset();
    for (QTextBlock b = firstVisibleBlock(); b.isValid(); b = b.next()) {
        m_layout->Refresh(b);
        if (blockBoundingGeometry(b).translated(offset).top() > height)
            break;
    }
    QPlainTextEdit::paintEvent(e);
}

} // namespace lumora
