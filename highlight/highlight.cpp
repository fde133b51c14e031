#include "highlight.h"

#include "highlight_core.h"
#include "message_box.h"
#include "rich_text_box.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QProgressDialog>
#include <QTextCursor>
#include <QTextDocument>
#include <memory>

namespace lumora {

namespace {

// Share of the progress bar the scan takes; applying the colours takes the rest.
constexpr int kScanPermille = 300;
// A pass shorter than this shows no progress window at all.
constexpr int kShowProgressAfterMs = 500;
// How often a long pass lets the window repaint.
constexpr int kRepaintEveryMs = 50;

// The runs of every rule clipped to [from, to), in rule order.  at[rule]
// remembers how far each rule's spans have been used; a span reaching past
// to is taken up again by the next range.
QVector<ColorRun> RunsBetween(const HighlightSpans &spans, int from, int to, std::array<size_t, kRuleCount> &at)
{
    QVector<ColorRun> runs;
    for (int rule = 0; rule < kRuleCount; ++rule) {
        const SpanList &list = spans[size_t(rule)];
        size_t &i = at[size_t(rule)];
        for (; i < list.size() && list[i].start < to; ++i) {
            const int s = std::max(list[i].start, from);
            const int e = std::min(list[i].end, to);
            runs.push_back({s, e - s, kRuleColors[size_t(rule)]});
            if (list[i].end > to)
                break;
        }
    }
    return runs;
}

// The next line start at or after pos, or n.
int NextLineStart(const QString &text, int pos)
{
    const int n = int(text.size());
    if (pos >= n)
        return n;
    const int crlf = int(text.indexOf(QLatin1String("\r\n"), std::max(0, pos - 2)));
    return crlf < 0 ? n : crlf + 2;
}

// Keeps a widget from painting for one scope; it repaints when the scope ends.
class PaintPause
{
public:
    explicit PaintPause(QWidget *w) : m_widget(w), m_was(w->updatesEnabled()) { w->setUpdatesEnabled(false); }
    ~PaintPause()
    {
        if (m_widget)
            m_widget->setUpdatesEnabled(m_was);
    }
    PaintPause(const PaintPause &) = delete;
    PaintPause &operator=(const PaintPause &) = delete;

private:
    QPointer<QWidget> m_widget;
    bool m_was;
};

// Colours a long text slice by slice, each cut at a line start so that no
// slice touches a character of another (not even a line break), with a
// progress call after each.  All slices lie in one edit block: one undo
// removes them all, and the layout hears of the change once, at the end.
// Meanwhile the editor keeps its old picture; the rest of the window repaints.
bool ApplyInSlices(RichTextBox &editor, const QString &text, const HighlightSpans &spans,
                   const PassProgress &progress, int sliceChars)
{
    QPointer<RichTextBox> alive(&editor);
    PaintPause pause(&editor);
    QTextCursor block(editor.document());
    block.beginEditBlock();
    const int n = int(text.size());
    std::array<size_t, kRuleCount> at{};
    bool done = true;
    for (int from = 0; from < n && done;) {
        const int to = NextLineStart(text, from + sliceChars);
        editor.ApplyColorRuns(RunsBetween(spans, from, to, at));
        from = to;
        done = progress(kScanPermille + int(qint64(1000 - kScanPermille) * from / n)) && alive;
    }
    // Harmless once the document is gone: the cursor then belongs to none.
    block.endEditBlock();
    return done;
}

// Repaints now and then and, once the pass has taken a while, shows how far
// it got.  User input is held back until the pass is over: the colours are
// worked out on the text as the pass started, so nobody may change it
// halfway.
class PassFeedback
{
public:
    PassFeedback(RichTextBox &editor, QWidget *parent) : m_editor(&editor), m_parent(parent) { m_clock.start(); }

    bool Report(int permille)
    {
        if (m_clock.elapsed() - m_lastYield < kRepaintEveryMs)
            return !m_editor.isNull();
        if (!m_dialog && m_clock.elapsed() >= kShowProgressAfterMs)
            ShowDialog();
        if (m_dialog)
            m_dialog->setValue(permille);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        m_lastYield = m_clock.elapsed();
        return !m_editor.isNull();
    }

private:
    void ShowDialog()
    {
        m_dialog = std::make_unique<QProgressDialog>(m_parent);
        m_dialog->setWindowTitle(QStringLiteral("OD语法高亮"));
        m_dialog->setLabelText(QStringLiteral("正在着色，请稍候……"));
        m_dialog->setCancelButton(nullptr);
        m_dialog->setRange(0, 1000);
        m_dialog->setMinimumDuration(0);
        m_dialog->show();
    }

    QPointer<RichTextBox> m_editor;
    QPointer<QWidget> m_parent;
    QElapsedTimer m_clock;
    qint64 m_lastYield = 0;
    std::unique_ptr<QProgressDialog> m_dialog;
};

} // namespace

QString EmptyTextNotice()
{
    return QStringLiteral("没有任何内容，请输入汇编代码然后再使用该功能");
}

QString EmptyTextNoticeTitle()
{
    return QStringLiteral("提示");
}

bool HighlightEditorText(RichTextBox &editor, const QString &listFolder, const PassProgress &progress,
                         int sliceChars)
{
    if (editor.TextLength() == 0)
        return false;
    const KeywordLists lists = LoadKeywordLists(listFolder);
    const QString folded = editor.FoldedText();
    ScanProgress scanProgress;
    if (progress) {
        scanProgress = [&progress](qint64 done, qint64 total) {
            return progress(int(done * kScanPermille / std::max<qint64>(1, total)));
        };
    }
    HighlightSpans spans;
    if (!ComputeHighlight(folded, lists, &spans, scanProgress))
        return true;
    if (progress && folded.size() > sliceChars) {
        if (!progress(kScanPermille) || !ApplyInSlices(editor, folded, spans, progress, std::max(1, sliceChars)))
            return true;
    } else {
        std::array<size_t, kRuleCount> at{};
        editor.ApplyColorRuns(RunsBetween(spans, 0, int(folded.size()), at));
    }
    editor.SetSelStart(0);
    return true;
}

void HighlightDisassembly(RichTextBox &editor, const QString &listFolder, QWidget *parent)
{
    if (editor.TextLength() == 0) {
        MsgBox(parent, EmptyTextNotice(), EmptyTextNoticeTitle(), MsgButtons::Ok);
        return;
    }
    QPointer<RichTextBox> alive(&editor);
    {
        PassFeedback feedback(editor, parent);
        HighlightEditorText(editor, listFolder, [&feedback](int permille) { return feedback.Report(permille); });
    }
    if (alive)
        alive->SetFocus();
}

} // namespace lumora
