#include "main_window/chinese_ui.h"

#include "shared_ui/fonts.h"

#include <QApplication>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace lumora {

namespace {

// Qt 6 moved the names of file kinds ("Folder", "Drive", "Unknown") to a
// context that the Chinese translations shipped with Qt 6.4 do not cover,
// so the file dialog said "Folder".  The same words are translated under
// the file dialog's own context; this looks them up there.
class FileKindNames : public QTranslator
{
public:
    FileKindNames(const QTranslator &qtbase, QObject *parent) : QTranslator(parent), m_qtbase(qtbase) {}

    QString translate(const char *context, const char *sourceText, const char *disambiguation,
                      int n) const override
    {
        if (qstrcmp(context, "QAbstractFileIconProvider") != 0)
            return QString();
        return m_qtbase.translate("QFileDialog", sourceText, disambiguation, n);
    }
    bool isEmpty() const override { return false; }

private:
    const QTranslator &m_qtbase;
};

} // namespace

void SetUpChineseUi(QApplication &app)
{
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    auto *qtbase = new QTranslator(&app);
    if (qtbase->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(qtbase);
        QCoreApplication::installTranslator(new FileKindNames(*qtbase, &app));
    }

    InstallFontSubstitutes();
    const QString ui = QStringLiteral("WenQuanYi Micro Hei");
    if (QFontDatabase::hasFamily(ui)) {
        QFont f(ui);
        f.setPointSizeF(9.0);
        QApplication::setFont(f);
    }
}

} // namespace lumora
