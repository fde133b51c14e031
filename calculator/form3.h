#pragma once

#include "secondary_window.h"

namespace lumora {

// The cracking calculator window.
class Form3 : public FormDesign
{
public:
    QWidget *CreateFromDesign() override;
};

} // namespace lumora
