#include "module1/word_wrap.h"

#include "rich_text/rich_text_box.h"

namespace lumora {

void ApplyWordWrap(RichTextBox &editor, bool on)
{
    editor.SetWordWrap(on);
    if (on) {
        // The right-margin setting flips between 0 and 1 on every switch-on;
        // the wrapping itself always follows the editor's width.
        editor.SetRightMargin(editor.RightMargin() == 0.0f ? 1.0f : 0.0f);
    }
}

} // namespace lumora
