#include "font_dialog.h"

#include "common_dialog.h"
#include "message_box.h"

namespace lumora {

QString DefaultFontDialogFace()
{
    return QStringLiteral("宋体");
}

bool RunFontDialog(CommonDialog &, QWidget *)
{
    if (ModalDialogsForbidden())
        qFatal("font dialog shown with nobody to answer it");
    return false;
}

} // namespace lumora
