#include "shared_ui/fonts.h"

#include <QFont>
#include <QStringList>

namespace lumora {

void InstallFontSubstitutes()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    const QStringList song = {QStringLiteral("AR PL UMing CN"), QStringLiteral("AR PL UMing TW"),
                              QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Droid Sans Fallback")};
    const QStringList hei = {QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("AR PL UMing CN"),
                             QStringLiteral("Droid Sans Fallback")};
    for (const char *name : {"宋体", "SimSun", "新宋体", "NSimSun", "仿宋", "FangSong", "楷体", "KaiTi"})
        QFont::insertSubstitutions(QString::fromUtf8(name), song);
    for (const char *name : {"黑体", "SimHei", "微软雅黑", "Microsoft YaHei"})
        QFont::insertSubstitutions(QString::fromUtf8(name), hei);
}

} // namespace lumora
