#include "module1/number_format.h"

#include <charconv>
#include <cmath>

namespace lumora {

QString FormatGeneral(double value, int digits)
{
    if (value == 0.0)
        return QStringLiteral("0");
    if (!std::isfinite(value))
        return std::isnan(value) ? QStringLiteral("NaN") : (value > 0 ? QStringLiteral("Infinity") : QStringLiteral("-Infinity"));
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, digits);
    QString s = QString::fromLatin1(buf, int(res.ptr - buf));
    return s.replace(QLatin1Char('e'), QLatin1Char('E'));
}

double RoundHalfEven(double value)
{
    // The default floating-point rounding mode rounds halves to even.
    return std::nearbyint(value);
}

} // namespace lumora
