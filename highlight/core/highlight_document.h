#pragma once

#include "document/document.h"
#include "highlight/core/highlight_core.h"

#include <QString>
#include <vector>

namespace lumora {

// The notice for an empty text, and its title.
QString EmptyTextNotice();
QString EmptyTextNoticeTitle();

// Colours formats with the six rules' spans in the order the pass applies
// them (a later rule over an earlier one), rule by rule, as
// PaintColorRuns does.
void PaintHighlight(QStringView text, const HighlightSpans &spans, RunList &runs, FormatTable &formats);

// The plain text the pass reads: soft line breaks show as vertical tabs,
// as the editing area reports them.
QString PassText(const QString &text);

// "OD语法高亮" on a document without any widget, colour for colour what the
// pass gives in the editing area.  An empty text is left alone, no list file
// is touched, and the result is false.
bool HighlightDocument(Document &doc, const QString &listFolder, const Progress &progress = {});

} // namespace lumora
