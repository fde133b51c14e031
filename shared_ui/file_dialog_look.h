#pragma once

class QFileDialog;

namespace lumora {

// Gives Qt's own file dialog the program's look: the detail view, large
// enough that file names have room, the size, type and date columns as wide
// as what they show, and sizes and dates written in the program's locale.
void FitFileDialog(QFileDialog &dialog);

} // namespace lumora
