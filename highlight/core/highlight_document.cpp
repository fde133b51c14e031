#include "highlight_document.h"

#include "color_layers.h"
#include "keyword_lists.h"

#include <algorithm>

namespace lumora {

QString EmptyTextNotice()
{
    return QStringLiteral("没有任何内容，请输入汇编代码然后再使用该功能");
}

QString EmptyTextNoticeTitle()
{
    return QStringLiteral("提示");
}

std::vector<ColorPiece> RuleRuns(const HighlightSpans &spans)
{
    std::vector<ColorPiece> runs;
    size_t total = 0;
    for (const SpanList &list : spans)
        total += list.size();
    runs.reserve(total);
    for (int rule = 0; rule < kRuleCount; ++rule) {
        for (const Span &s : spans[size_t(rule)])
            runs.push_back({s.start, s.end, qint64(kRuleColors[size_t(rule)])});
    }
    return runs;
}

QString PassText(const QString &text)
{
    if (!text.contains(QChar(QChar::LineSeparator)))
        return text;
    QString shown = text;
    std::replace(shown.begin(), shown.end(), QChar(QChar::LineSeparator), QChar(u'\v'));
    return shown;
}

bool HighlightDocument(Document &doc, const QString &listFolder, const ScanProgress &progress)
{
    if (doc.text.isEmpty())
        return false;
    const KeywordLists lists = LoadKeywordLists(listFolder);
    HighlightSpans spans;
    if (!ComputeHighlight(PassText(doc.text), lists, &spans, progress))
        return true;
    doc.runs.Recolor(FlattenColorRuns(doc.text, RuleRuns(spans)), doc.formats);
    return true;
}

} // namespace lumora
