#pragma once

#include "shared_ui/secondary_window.h"

namespace lumora {

// The about window: two labels and a close box.
class AboutWindow : public FormDesign
{
public:
    QWidget *CreateFromDesign() override;
};

} // namespace lumora
