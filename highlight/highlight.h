#pragma once

#include "document/progress.h"
#include "highlight/core/highlight_document.h"

#include <QString>
#include <functional>

class QWidget;

namespace lumora {

class RichTextBox;

// The pass on an editing area without a window of its own: reads the four
// lists from listFolder, colours keywords, bracketed operands and comments
// in one undo step, and puts the caret at 0.  An empty text is left alone,
// no list file is touched, and the result is false.  Progress is reported
// while the colours are worked out.
bool HighlightEditorText(RichTextBox &editor, const QString &listFolder, const Progress &progress = {});

// "OD语法高亮": the pass above on the main window's editor.  An empty text
// only gets the notice.  A long pass keeps the window painted and shows its
// progress; input waits until the pass is over, so the colours always match
// the text the pass started on.  Ends with the focus in the editor.
void HighlightDisassembly(RichTextBox &editor, const QString &listFolder, QWidget *parent);

} // namespace lumora
