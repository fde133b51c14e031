#include "chinese_ui.h"

#include "fonts.h"

#include <QApplication>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace lumora {

void SetUpChineseUi(QApplication &app)
{
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    auto *qtbase = new QTranslator(&app);
    if (qtbase->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qtbase);

    InstallFontSubstitutes();
    const QString ui = QStringLiteral("WenQuanYi Micro Hei");
    if (QFontDatabase::hasFamily(ui)) {
        QFont f(ui);
        f.setPointSizeF(9.0);
        QApplication::setFont(f);
    }
}

} // namespace lumora
