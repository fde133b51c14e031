#include "highlight.h"

#include "highlight_core.h"
#include "message_box.h"
#include "progress_feedback.h"
#include "rich_text_box.h"
#include "text_fold.h"

#include <QCoreApplication>
#include <QPointer>

namespace lumora {

namespace {

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

} // namespace

QString EmptyTextNotice()
{
    return QStringLiteral("没有任何内容，请输入汇编代码然后再使用该功能");
}

QString EmptyTextNoticeTitle()
{
    return QStringLiteral("提示");
}

bool HighlightEditorText(RichTextBox &editor, const QString &listFolder, const PassProgress &progress)
{
    if (editor.TextLength() == 0)
        return false;
    const KeywordLists lists = LoadKeywordLists(listFolder);
    ScanProgress scanProgress;
    if (progress) {
        scanProgress = [&progress](qint64 done, qint64 total) {
            return progress(int(done * 1000 / std::max<qint64>(1, total)));
        };
    }
    HighlightSpans spans;
    if (!ComputeHighlight(FoldCase(editor.Text()), lists, &spans, scanProgress))
        return true;
    // Applying the colours is one change of the format layer: one undo step,
    // and no repaint until the pass is over.
    std::array<size_t, kRuleCount> at{};
    editor.ApplyColorRuns(RunsBetween(spans, 0, editor.TextLength(), at));
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
        ProgressFeedback feedback(&editor, parent, QStringLiteral("OD语法高亮"), QStringLiteral("正在着色，请稍候……"));
        HighlightEditorText(editor, listFolder, [&feedback](int permille) { return feedback.Report(permille); });
    }
    if (alive)
        alive->SetFocus();
}

} // namespace lumora
