#include "highlight/core/highlight_document.h"

#include "document/color_layers.h"
#include "highlight/core/keyword_lists.h"

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

void PaintHighlight(QStringView text, const HighlightSpans &spans, RunList &runs, FormatTable &formats)
{
    // One rule at a time keeps at most one rule's runs in memory besides
    // the formats.
    for (int rule = 0; rule < kRuleCount; ++rule) {
        std::vector<ColorPiece> pieces;
        pieces.reserve(spans[size_t(rule)].size());
        for (const Span &s : spans[size_t(rule)])
            pieces.push_back({s.start, s.end, qint32(kRuleColors[size_t(rule)])});
        PaintColorRuns(text, std::move(pieces), runs, formats);
    }
}

QString PassText(const QString &text)
{
    if (!text.contains(QChar(QChar::LineSeparator)))
        return text;
    QString shown = text;
    std::replace(shown.begin(), shown.end(), QChar(QChar::LineSeparator), QChar(u'\v'));
    return shown;
}

bool HighlightDocument(Document &doc, const QString &listFolder, const Progress &progress)
{
    if (doc.text.isEmpty())
        return false;
    const KeywordLists lists = LoadKeywordLists(listFolder);
    HighlightSpans spans;
    if (!ComputeHighlight(PassText(doc.text), lists, &spans, progress))
        return true;
    PaintHighlight(doc.text, spans, doc.runs, doc.formats);
    return true;
}

} // namespace lumora
