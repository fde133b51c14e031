#pragma once

#include <QString>
#include <QtGlobal>

namespace lumora {

// Reads hexadecimal text from its last character backwards, place p weighing
// 16^p.  Only 0-9, A-F and a-f count; any other character adds nothing but
// still takes its place.  Each contribution is summed in double precision;
// the first one that would leave the signed 32-bit range (or whose power of
// 16 is no longer a finite double, from p = 256 on) ends the scan, and the
// total before it is returned.  Never fails; the result is 0..2147483647.
qint32 HEX_ALG(const QString &text);

// Why a calculator input or operation gave no result.
enum class Refusal {
    None,
    Empty,          // nothing but blanks
    NotDecimal,     // not [sign] digits [. digits]
    NotHexadecimal, // not 1-8 hex digits with an optional 0x or h
    OutOfRange,     // the number itself does not fit in 32 bits
    Overflow,       // the outcome does not fit in 32 bits
    DivideByZero,
};

// A short Chinese reason to show the user; empty for Refusal::None.
QString RefusalReason(Refusal why);

struct Reading
{
    Refusal refusal = Refusal::None;
    qint32 value = 0;
    bool Ok() const { return refusal == Refusal::None; }
};

// Decimal text as the conversion and the decimal mode read it: blanks
// around, an optional "+" or "-", ASCII digits with an optional fractional
// part after a full stop (".5" and "5." included), no exponent and no
// separators.  The value is rounded to the nearest integer, an exact half
// to the even neighbour, decided on the digits themselves so that no digit
// is lost to binary rounding; it must then lie in the signed 32-bit range.
Reading ReadDecimal(const QString &text);

// Hexadecimal text as the hexadecimal mode reads it: blanks around, an
// optional "0x"/"0X" prefix or "h"/"H" suffix (not both), then 1 to 8
// digits of either case.  80000000..FFFFFFFF are the negative values in
// two's complement.
Reading ReadHexadecimal(const QString &text);

// Upper-case hexadecimal with no prefix and no leading zeros; a negative
// value as its eight-digit two's complement (-1 is FFFFFFFF).
QString WriteHexadecimal(qint32 value);

// The text a conversion or an operation puts into its target field, or the
// reason it puts nothing there.
struct Outcome
{
    Refusal refusal = Refusal::None;
    QString text;
    bool Ok() const { return refusal == Refusal::None; }
};

// "十转十六": decimal text to hexadecimal text.
Outcome DecimalToHexadecimal(const QString &decimal);
// "十六转十": always gives HEX_ALG's value as plain decimal digits.
QString HexadecimalToDecimal(const QString &hexadecimal);

enum class Operation { Add, Subtract, Multiply, Divide };
enum class Mode { Decimal, Hexadecimal };

// Which field a refused operation is about, so the reason can be shown there.
enum class Culprit { None, Operand1, Operand2, Result };

struct Calculation
{
    Outcome outcome;
    Culprit culprit = Culprit::None;
};

// One click of an operation button, operand 1 on the left.
//
// Decimal mode reads both operands with ReadDecimal; addition, subtraction
// and multiplication refuse an outcome outside the signed 32-bit range and
// write it in decimal; division is a real division written in general
// number format (15 significant digits).  Hexadecimal mode reads both with
// ReadHexadecimal, divides as integers truncating toward zero, refuses the
// same overflows plus 80000000 / FFFFFFFF, and writes with WriteHexadecimal.
// A zero divisor is refused in both modes.
Calculation Calculate(Mode mode, Operation op, const QString &operand1, const QString &operand2);

} // namespace lumora
