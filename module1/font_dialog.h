#pragma once

#include <QString>

class QWidget;

namespace lumora {

class CommonDialog;

// The face the font dialog holds before its first use: "宋体" when a font
// answers to that name (directly or through a substitute), else the
// installed face that stands in for it.
QString DefaultFontDialogFace();

// Shows the font dialog with the values in `dlg`; on OK writes the chosen
// values back and returns true, on cancel leaves them and returns false.
bool RunFontDialog(CommonDialog &dlg, QWidget *parent);

} // namespace lumora
