#include "highlight/highlight.h"

#include "highlight/core/highlight_document.h"
#include "shared_ui/message_box.h"
#include "shared_ui/progress_feedback.h"
#include "rich_text/rich_text_box.h"

#include <QCoreApplication>
#include <QPointer>

#include <deque>
#include <future>
#include <utility>

namespace lumora {

namespace {

// The pass a piece of whole paragraphs at a time, each piece's spans painted
// at once: neither the whole text nor all its spans and runs exist at the
// same time.  While one piece is painted, the spans of the next are worked
// out on another thread (pure computation on a copy of its text); the
// first piece is worked out here, paced by the progress clock, and the
// clock is looked at after each piece.  False when progress abandoned it.
bool PassByPieces(RichTextBox &editor, const KeywordLists &lists, const Progress &progress)
{
    constexpr int kPieceChars = 1 << 20;
    const qint64 n = editor.TextLength();
    ScanClock clock(progress, HighlightWork(n, n / kPieceChars + 2, lists));
    std::deque<std::future<HighlightSpans>> ahead;
    const auto start = [&](const QString &next) {
        ahead.push_back(std::async(std::launch::async, [&lists, next] {
            HighlightSpans spans;
            ScanClock quiet;
            ComputeHighlight(PassText(next), lists, &spans, quiet);
            return spans;
        }));
    };
    bool first = true;
    const auto piece = [&](const QString &text, RunList &runs, FormatTable &formats) {
        HighlightSpans spans;
        if (std::exchange(first, false)) {
            if (!ComputeHighlight(PassText(text), lists, &spans, clock))
                return false;
        } else {
            spans = ahead.front().get();
            ahead.pop_front();
            if (!clock.Tick(0, qint64(1) << 20))
                return false;
            clock.EndStage(HighlightWork(text.size(), 1, lists));
        }
        PaintHighlight(text, spans, runs, formats);
        return true;
    };
    return editor.PaintFormatsByParagraphs(piece, kPieceChars, start);
}

} // namespace

bool HighlightEditorText(RichTextBox &editor, const QString &listFolder, const Progress &progress)
{
    if (editor.TextLength() == 0)
        return false;
    const KeywordLists lists = LoadKeywordLists(listFolder);
    // A first report before the work lets the window show that it started.
    if (progress && !progress(0, 0))
        return true;
    // Applying the colours is one change of the format layer: one undo step,
    // and no repaint until the pass is over.
    if (HighlightByParagraphs(lists)) {
        if (!PassByPieces(editor, lists, progress))
            return true;
    } else {
        HighlightSpans spans;
        if (!ComputeHighlight(editor.Text(), lists, &spans, progress))
            return true;
        editor.PaintFormats([&spans](const QString &text, RunList &runs, FormatTable &formats) {
            PaintHighlight(text, spans, runs, formats);
        });
    }
    editor.SetSelStart(0);
    if (progress)
        progress(1, 1);
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
        HighlightEditorText(editor, listFolder,
                            [&feedback](qint64 done, qint64 total) { return feedback.Report(done, total); });
    }
    if (alive)
        alive->SetFocus();
}

} // namespace lumora
