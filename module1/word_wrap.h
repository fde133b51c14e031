#pragma once

namespace lumora {

class RichTextBox;

// On: lines wrap at the editor's width.  Off: each paragraph is one line
// that scrolls sideways.
void ApplyWordWrap(RichTextBox &editor, bool on);

} // namespace lumora
