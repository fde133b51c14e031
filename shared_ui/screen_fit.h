#pragma once

class QWidget;

namespace lumora {

// Keeps a top-level window wholly inside the free area of its screen (see
// FitIntoArea): a window placed by the program is fitted now, before it
// shows; any window is fitted again once the window system has put its
// frame round it, which only then has a known size.  Call before show().
void KeepOnScreen(QWidget &window);

} // namespace lumora
