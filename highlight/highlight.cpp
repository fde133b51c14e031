#include "highlight.h"

#include "rich_text_box.h"

namespace lumora {

void HighlightDisassembly(RichTextBox &, const QString &, QWidget *) {}

} // namespace lumora
