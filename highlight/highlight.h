#pragma once

#include <QString>

class QWidget;

namespace lumora {

class RichTextBox;

// "OD语法高亮": colours the editor's disassembly text from the keyword lists
// in listFolder, bracketed operands and semicolon comments.
void HighlightDisassembly(RichTextBox &editor, const QString &listFolder, QWidget *parent);

} // namespace lumora
