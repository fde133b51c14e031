#pragma once

class QApplication;

namespace lumora {

// Chinese everywhere: Qt's own dialogs and buttons translated, a Chinese UI
// font, and stand-ins for Windows Chinese faces.
void SetUpChineseUi(QApplication &app);

} // namespace lumora
