#pragma once

namespace lumora {

// Maps the Windows Chinese face names documents and the editor ask for
// ("宋体" and friends) onto installed faces, so that Chinese text never
// shows as boxes.  Safe to call more than once.
void InstallFontSubstitutes();

} // namespace lumora
