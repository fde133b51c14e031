#include "shared_ui/font_dialog.h"

#include "shared_ui/fonts.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QSet>

#include <cmath>

namespace lumora {

namespace {
constexpr float kMinFontSize = 1.0f;
constexpr float kMaxFontSize = 1638.0f;

// Qt names a family "Name [foundry]" when several foundries ship it; the
// user, and the documents, know it by its name alone.
QString WithoutFoundry(const QString &family)
{
    static const QRegularExpression foundry(QStringLiteral("\\s*\\[[^\\]]*\\]$"));
    QString name = family;
    name.remove(foundry);
    return name;
}
} // namespace

QString DefaultFontDialogFace()
{
    InstallFontSubstitutes();
    const QString song = QStringLiteral("宋体");
    if (QFontDatabase::hasFamily(song))
        return song;
    for (const QString &sub : QFont::substitutes(song)) {
        if (QFontDatabase::hasFamily(sub))
            return song;
    }
    // Nothing answers to the name: offer the face that actually draws it.
    return QFontInfo(QFont(song)).family();
}

QStringList AvailableFontFaces()
{
    QSet<QString> seen;
    QStringList faces;
    const auto add = [&](const QString &name) {
        if (!name.isEmpty() && !seen.contains(name.toCaseFolded())) {
            seen.insert(name.toCaseFolded());
            faces.append(name);
        }
    };
    // Generic names such as "Monospace" appear among the families but are
    // only aliases; the database does not own them as faces.
    for (const QString &family : QFontDatabase::families()) {
        const QString name = WithoutFoundry(family);
        if (!QFontDatabase::isPrivateFamily(family) && QFontDatabase::hasFamily(name))
            add(name);
    }
    add(DefaultFontDialogFace());
    std::sort(faces.begin(), faces.end(), [](const QString &a, const QString &b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    return faces;
}

QString MatchFontFace(const QStringList &faces, const QString &name)
{
    const QString wanted = name.trimmed();
    if (wanted.isEmpty())
        return QString();
    for (const QString &face : faces) {
        if (face.compare(wanted, Qt::CaseInsensitive) == 0)
            return face;
    }
    return QString();
}

float ParseFontSize(const QString &text)
{
    bool ok = false;
    const double v = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(v))
        return 0.0f;
    const float tenths = float(std::round(v * 10.0) / 10.0);
    return tenths >= kMinFontSize && tenths <= kMaxFontSize ? tenths : 0.0f;
}

QString FontSizeText(float points)
{
    return QLocale::c().toString(double(points), 'g', 6);
}

const QList<NamedColor> &StandardFontColors()
{
    static const QList<NamedColor> colors = {
        {0x000000, "黑色"},   {0x000080, "栗色"},   {0x008000, "绿色"},   {0x008080, "橄榄色"},
        {0x800000, "藏青色"}, {0x800080, "紫色"},   {0x808000, "深青色"}, {0x808080, "灰色"},
        {0xC0C0C0, "银色"},   {0x0000FF, "红色"},   {0x00FF00, "鲜绿色"}, {0x00FFFF, "黄色"},
        {0xFF0000, "蓝色"},   {0xFF00FF, "紫红色"}, {0xFFFF00, "水绿色"}, {0xFFFFFF, "白色"},
    };
    return colors;
}

} // namespace lumora
