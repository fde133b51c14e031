#include "rich_text/rich_text_box.h"

#include "document/case_fold.h"
#include "document/text_lines.h"
#include "shared_ui/fonts.h"

#include <QKeyEvent>

namespace lumora {

namespace {
// The longest text the editor keeps: positions are ints, and a paste must
// never carry them past that.
constexpr qint64 kMaxTextChars = std::numeric_limits<int>::max() / 2;
} // namespace

bool RichTextBox::CanInsert(const QString &text, QString *why) const
{
    // Every lone CR or LF of the text becomes CR LF: at most twice as long.
    const qint64 after = qint64(TextLength()) - SelLength() + 2 * qint64(text.size());
    if (after <= kMaxTextChars)
        return true;
    if (why)
        *why = QStringLiteral("文本太长：编辑区最多能容纳 %1 个字符。").arg(kMaxTextChars);
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

RichTextBox::RichTextBox(QWidget *parent) : TextView(parent)
{
    setObjectName(QStringLiteral("RichTextBox1"));
    setFont(DefaultFont());
    SetBaseFont(DefaultFont());
    SetWordWrap(true);
    // A stale copy of the whole text is memory for nothing: on a big
    // document it is twice the size of the file.
    connect(this, &TextView::BufferChanged, this, [this] {
        m_shown = QString();
        m_shownAt = ~quint64(0);
    });
}

RichTextBox::~RichTextBox() = default;

bool RichTextBox::IsModified() const { return Buffer().IsModified(); }
void RichTextBox::SetModified(bool on) { Buffer().SetModified(on); }
const QString &RichTextBox::RawText() const { return Buffer().Text(); }
int RichTextBox::TextLength() const { return Buffer().Length(); }
quint64 RichTextBox::ChangeCount() const { return Buffer().ChangeCount(); }
Document RichTextBox::Snapshot() const { return Buffer().Snapshot(); }
Document RichTextBox::Excerpt(int from, int to) const { return Buffer().Excerpt(from, to); }

// Rich-edit controls report a soft line break as a vertical tab.
const QString &RichTextBox::Text() const
{
    if (m_shownAt != ChangeCount()) {
        m_shown = RawText();
        m_shown.replace(QChar::LineSeparator, QLatin1Char('\v'));
        m_shownAt = ChangeCount();
    }
    return m_shown;
}

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

// A range touching half of a CR LF takes the whole break.
void RichTextBox::Select(int start, int length)
{
    const int len = TextLength();
    const int s0 = std::clamp(start, 0, len);
    const int s1 = std::clamp(s0 + std::max(0, length), s0, len);
    const TextStore &store = Buffer().Store();
    Buffer().SetSelection(store.SnapDown(s0), s1 > s0 ? store.SnapUp(s1) : store.SnapDown(s0));
    EnsureCaretVisible();
}

int RichTextBox::SelStart() const { return Buffer().SelFrom(); }
void RichTextBox::SetSelStart(int start) { Select(start, 0); }
int RichTextBox::SelLength() const { return Buffer().SelTo() - Buffer().SelFrom(); }
void RichTextBox::SetSelLength(int length) { Select(SelStart(), length); }

QString RichTextBox::SelText() const
{
    QString s = Buffer().Store().Text(SelStart(), SelLength());
    s.replace(QChar::LineSeparator, QLatin1Char('\v'));
    return s;
}

void RichTextBox::SetSelText(const QString &text)
{
    if (!CanInsert(text, nullptr))
        return;   // callers that can tell the user check first
    Buffer().ReplaceSelection(text);
    EnsureCaretVisible();
}

void RichTextBox::SetPlainText(const QString &text)
{
    QString crlf = NormalizeLineBreaks(text);
    crlf.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    Buffer().SetDocument(Document::FromText(std::move(crlf)));
    Buffer().SetModified(false);
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

void RichTextBox::InsertPicture(const QImage &image)
{
    Picture p;
    p.image = image;
    p.width = image.width();
    p.height = image.height();
    Buffer().InsertPicture(std::move(p));
    EnsureCaretVisible();
}

} // namespace lumora
