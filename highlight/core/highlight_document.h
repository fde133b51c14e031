#pragma once

#include "document.h"
#include "highlight_core.h"

#include <QString>
#include <vector>

namespace lumora {

// The notice for an empty text, and its title.
QString EmptyTextNotice();
QString EmptyTextNoticeTitle();

// The spans of the six rules as colour runs, in the order the pass applies
// them (a later run colours over an earlier one).
std::vector<ColorPiece> RuleRuns(const HighlightSpans &spans);

// The plain text the pass reads: soft line breaks show as vertical tabs,
// as the editing area reports them.
QString PassText(const QString &text);

// "OD语法高亮" on a document without any widget, colour for colour what the
// pass gives in the editing area.  An empty text is left alone, no list file
// is touched, and the result is false.
bool HighlightDocument(Document &doc, const QString &listFolder, const ScanProgress &progress = {});

} // namespace lumora
