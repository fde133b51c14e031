#include "main_window/save_name.h"

namespace lumora {

QString WithExtension(const QString &path, const QString &upperExtension)
{
    if (path.right(3).toUpper() == upperExtension)
        return path;
    return path + QLatin1Char('.') + upperExtension;
}

} // namespace lumora
