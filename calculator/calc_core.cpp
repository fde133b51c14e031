#include "calculator/calc_core.h"

#include "module1/number_format.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace lumora {

namespace {

constexpr qint64 kMin = std::numeric_limits<qint32>::min();
constexpr qint64 kMax = std::numeric_limits<qint32>::max();

int HexDigitValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    return -1;
}

bool IsAsciiDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

// The text without the white space around it (spaces, tabs, the ideographic
// space typed by a Chinese input method, ...).
QStringView Unblanked(const QString &text)
{
    return QStringView(text).trimmed();
}

// Rounds a non-negative decimal magnitude given as its integer and fraction
// digits to the nearest integer, an exact half to even.  Returns -1 when the
// integer part alone is beyond any 32-bit magnitude.
qint64 RoundedMagnitude(QStringView whole, QStringView fraction)
{
    while (!whole.isEmpty() && whole.front() == u'0')
        whole = whole.mid(1);
    if (whole.size() > 10)
        return -1;
    qint64 magnitude = 0;
    for (QChar c : whole)
        magnitude = magnitude * 10 + (c.unicode() - u'0');
    if (fraction.isEmpty())
        return magnitude;
    const int first = fraction.front().unicode() - u'0';
    bool beyondHalf = false;
    for (QChar c : fraction.mid(1))
        beyondHalf = beyondHalf || c != u'0';
    if (first > 5 || (first == 5 && (beyondHalf || magnitude % 2 == 1)))
        ++magnitude;
    return magnitude;
}

Reading Refused(Refusal why)
{
    Reading r;
    r.refusal = why;
    return r;
}

Reading Accepted(qint64 value)
{
    if (value < kMin || value > kMax)
        return Refused(Refusal::OutOfRange);
    Reading r;
    r.value = qint32(value);
    return r;
}

Outcome Written(const QString &text)
{
    Outcome o;
    o.text = text;
    return o;
}

Calculation Refuse(Refusal why, Culprit culprit)
{
    Calculation c;
    c.outcome.refusal = why;
    c.culprit = culprit;
    return c;
}

QString WriteResult(Mode mode, qint64 value)
{
    return mode == Mode::Hexadecimal ? WriteHexadecimal(qint32(value)) : QString::number(value);
}

Calculation Divide(Mode mode, qint32 a, qint32 b)
{
    if (b == 0)
        return Refuse(Refusal::DivideByZero, Culprit::Operand2);
    Calculation c;
    if (mode == Mode::Decimal) {
        c.outcome = Written(FormatGeneral(double(a) / double(b), 15));
        return c;
    }
    // The one integer quotient that leaves the range: -2147483648 / -1.
    const qint64 quotient = qint64(a) / qint64(b);
    if (quotient > kMax)
        return Refuse(Refusal::Overflow, Culprit::Result);
    c.outcome = Written(WriteHexadecimal(qint32(quotient)));
    return c;
}

} // namespace

qint32 HEX_ALG(const QString &text)
{
    const qsizetype length = text.size();
    qint32 total = 0;
    for (qsizetype p = 0; p < length; ++p) {
        const int digit = HexDigitValue(text.at(length - 1 - p));
        if (digit < 0)
            continue;   // holds its place, adds nothing
        const double power = std::pow(16.0, double(p));
        if (!std::isfinite(power))
            break;
        const double sum = double(total) + digit * power;
        if (sum < double(kMin) || sum > double(kMax))
            break;
        total = qint32(sum);
    }
    return total;
}

QString RefusalReason(Refusal why)
{
    switch (why) {
    case Refusal::None:
        return QString();
    case Refusal::Empty:
        return QStringLiteral("请先输入一个数");
    case Refusal::NotDecimal:
        return QStringLiteral("不是十进制数：只能有正负号、数字和小数点");
    case Refusal::NotHexadecimal:
        return QStringLiteral("不是十六进制数：只能是1到8位十六进制数字，可带0x或h");
    case Refusal::OutOfRange:
        return QStringLiteral("超出32位整数范围（-2147483648 到 2147483647）");
    case Refusal::Overflow:
        return QStringLiteral("结果超出32位整数范围");
    case Refusal::DivideByZero:
        return QStringLiteral("除数不能为0");
    }
    return QString();
}

Reading ReadDecimal(const QString &text)
{
    QStringView s = Unblanked(text);
    if (s.isEmpty())
        return Refused(Refusal::Empty);
    bool negative = false;
    if (s.front() == u'+' || s.front() == u'-') {
        negative = s.front() == u'-';
        s = s.mid(1);
    }
    qsizetype i = 0;
    while (i < s.size() && IsAsciiDigit(s[i]))
        ++i;
    const QStringView whole = s.left(i);
    QStringView fraction;
    if (i < s.size() && s[i] == u'.') {
        const qsizetype start = ++i;
        while (i < s.size() && IsAsciiDigit(s[i]))
            ++i;
        fraction = s.mid(start, i - start);
    }
    if (i != s.size() || (whole.isEmpty() && fraction.isEmpty()))
        return Refused(Refusal::NotDecimal);
    const qint64 magnitude = RoundedMagnitude(whole, fraction);
    if (magnitude < 0)
        return Refused(Refusal::OutOfRange);
    return Accepted(negative ? -magnitude : magnitude);
}

Reading ReadHexadecimal(const QString &text)
{
    QStringView s = Unblanked(text);
    if (s.isEmpty())
        return Refused(Refusal::Empty);
    if (s.startsWith(u"0x", Qt::CaseInsensitive))
        s = s.mid(2);
    else if (s.endsWith(u'h', Qt::CaseInsensitive))
        s.chop(1);
    if (s.isEmpty() || s.size() > 8)
        return Refused(Refusal::NotHexadecimal);
    quint32 bits = 0;
    for (QChar c : s) {
        const int digit = HexDigitValue(c);
        if (digit < 0)
            return Refused(Refusal::NotHexadecimal);
        bits = bits * 16 + quint32(digit);
    }
    Reading r;
    r.value = qint32(bits);   // two's complement above 7FFFFFFF
    return r;
}

QString WriteHexadecimal(qint32 value)
{
    return QString::number(quint32(value), 16).toUpper();
}

Outcome DecimalToHexadecimal(const QString &decimal)
{
    const Reading r = ReadDecimal(decimal);
    if (!r.Ok()) {
        Outcome o;
        o.refusal = r.refusal;
        return o;
    }
    return Written(WriteHexadecimal(r.value));
}

QString HexadecimalToDecimal(const QString &hexadecimal)
{
    return QString::number(HEX_ALG(hexadecimal));
}

Calculation Calculate(Mode mode, Operation op, const QString &operand1, const QString &operand2)
{
    const auto read = mode == Mode::Hexadecimal ? ReadHexadecimal : ReadDecimal;
    const Reading left = read(operand1);
    if (!left.Ok())
        return Refuse(left.refusal, Culprit::Operand1);
    const Reading right = read(operand2);
    if (!right.Ok())
        return Refuse(right.refusal, Culprit::Operand2);

    const qint64 a = left.value;
    const qint64 b = right.value;
    qint64 exact = 0;
    switch (op) {
    case Operation::Add:
        exact = a + b;
        break;
    case Operation::Subtract:
        exact = a - b;
        break;
    case Operation::Multiply:
        exact = a * b;   // |a * b| <= 2^62, exact in 64 bits
        break;
    case Operation::Divide:
        return Divide(mode, left.value, right.value);
    }
    if (exact < kMin || exact > kMax)
        return Refuse(Refusal::Overflow, Culprit::Result);
    Calculation c;
    c.outcome = Written(WriteResult(mode, exact));
    return c;
}

} // namespace lumora
