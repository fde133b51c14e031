#pragma once

#include <QString>

namespace lumora {

// General number format: at most `digits` significant digits, rounded to
// nearest; no trailing zeros and no decimal point for whole numbers; a full
// stop as decimal point whatever the locale; exponent form ("1.5E-07",
// "1.234568E+07") for magnitudes below 1E-4 or with more integer digits than
// `digits`.  Zero, negative zero included, is "0".
QString FormatGeneral(double value, int digits);

// Rounds to the nearest integer, halves to the even neighbour.
double RoundHalfEven(double value);

} // namespace lumora
