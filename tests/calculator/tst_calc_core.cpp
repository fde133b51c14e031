#include "calculator/calc_core.h"

#include <QtTest>

using namespace lumora;

Q_DECLARE_METATYPE(lumora::Refusal)
Q_DECLARE_METATYPE(lumora::Mode)
Q_DECLARE_METATYPE(lumora::Operation)
Q_DECLARE_METATYPE(lumora::Culprit)

namespace {
constexpr qint32 kMax = std::numeric_limits<qint32>::max();
constexpr qint32 kMin = std::numeric_limits<qint32>::min();
} // namespace

class TstCalcCore : public QObject
{
    Q_OBJECT
private slots:
    void hexAlg_data();
    void hexAlg();
    void readDecimal_data();
    void readDecimal();
    void readHexadecimal_data();
    void readHexadecimal();
    void writeHexadecimal_data();
    void writeHexadecimal();
    void decimalToHexadecimal_data();
    void decimalToHexadecimal();
    void roundTripOnlyForNonNegatives();
    void calculate_data();
    void calculate();
    void everyRefusalHasAReason();
};

void TstCalcCore::hexAlg_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint32>("value");
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("largest") << "7FFFFFFF" << kMax;
    QTest::newRow("leading 8 overflows") << "80000000" << 0;
    QTest::newRow("all F keeps seven") << "FFFFFFFF" << 268435455;
    QTest::newRow("upper") << "1A" << 26;
    QTest::newRow("lower") << "1a" << 26;
    QTest::newRow("lower d") << "d" << 13;
    QTest::newRow("every letter") << "AbCdEf" << 0xABCDEF;
    QTest::newRow("G holds a place") << "1G" << 16;
    QTest::newRow("0x prefix") << "0x1A" << 26;
    QTest::newRow("sign skipped") << "-1A" << 26;
    QTest::newRow("trailing blank") << "1A " << 416;
    QTest::newRow("leading zeros") << "00000000001" << 1;
    QTest::newRow("only blanks") << "   " << 0;
    QTest::newRow("full-width digit") << "\uFF11" << 0;
    QTest::newRow("eight places") << "10000000" << 268435456;
    QTest::newRow("skipped places weigh") << "7xxxxxxx" << 0x70000000;
    QTest::newRow("skipped places overflow") << "Fxxxxxxx" << 0;
    QTest::newRow("stops at overflow") << "FFFFFFFF0" << 0xFFFFFF0;
    QTest::newRow("nine digits") << "123456789" << 0x23456789;
    QTest::newRow("digit at place 255") << "1" + QString(255, u'0') << 0;
    QTest::newRow("zeros past place 256") << QString(300, u'0') + "1A" << 26;
    QTest::newRow("digit past place 256") << "1" + QString(300, u'x') << 0;
    QTest::newRow("tail of long text") << QString(300, u'x') + "FF" << 255;
}

void TstCalcCore::hexAlg()
{
    QFETCH(QString, text);
    QFETCH(qint32, value);
    QCOMPARE(HEX_ALG(text), value);
}

void TstCalcCore::readDecimal_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<Refusal>("refusal");
    QTest::addColumn<qint32>("value");
    const Refusal ok = Refusal::None;
    QTest::newRow("zero") << "0" << ok << 0;
    QTest::newRow("minus one") << "-1" << ok << -1;
    QTest::newRow("plus sign") << "+5" << ok << 5;
    QTest::newRow("blanks around") << "  42  " << ok << 42;
    QTest::newRow("tabs around") << "\t7\t" << ok << 7;
    QTest::newRow("ideographic space") << "\u30008" << ok << 8;
    QTest::newRow("2.5 to even") << "2.5" << ok << 2;
    QTest::newRow("3.5 to even") << "3.5" << ok << 4;
    QTest::newRow("-2.5 to even") << "-2.5" << ok << -2;
    QTest::newRow("-3.5 to even") << "-3.5" << ok << -4;
    QTest::newRow("below half") << "2.4999" << ok << 2;
    QTest::newRow("above half") << "2.6" << ok << 3;
    QTest::newRow("just above half") << "2.50000000000000000001" << ok << 3;
    QTest::newRow("just below half") << "2.49999999999999999999" << ok << 2;
    QTest::newRow("no whole part") << ".5" << ok << 0;
    QTest::newRow("no whole part up") << ".51" << ok << 1;
    QTest::newRow("negative no whole part") << "-.7" << ok << -1;
    QTest::newRow("no fraction digits") << "5." << ok << 5;
    QTest::newRow("largest") << "2147483647" << ok << kMax;
    QTest::newRow("smallest") << "-2147483648" << ok << kMin;
    QTest::newRow("largest rounded down") << "2147483647.4" << ok << kMax;
    QTest::newRow("smallest half to even") << "-2147483648.5" << ok << kMin;
    QTest::newRow("many leading zeros") << "000000000000000000001" << ok << 1;
    QTest::newRow("negative zero") << "-0" << ok << 0;

    const Refusal range = Refusal::OutOfRange;
    QTest::newRow("2147483648") << "2147483648" << range << 0;
    QTest::newRow("-2147483649") << "-2147483649" << range << 0;
    QTest::newRow("half rounds out") << "2147483647.5" << range << 0;
    QTest::newRow("rounds below smallest") << "-2147483648.6" << range << 0;
    QTest::newRow("twenty digits") << "99999999999999999999" << range << 0;

    QTest::newRow("empty") << "" << Refusal::Empty << 0;
    QTest::newRow("blanks only") << "   " << Refusal::Empty << 0;

    const Refusal bad = Refusal::NotDecimal;
    QTest::newRow("12abc") << "12abc" << bad << 0;
    QTest::newRow("letters") << "abc" << bad << 0;
    QTest::newRow("sign alone") << "-" << bad << 0;
    QTest::newRow("point alone") << "." << bad << 0;
    QTest::newRow("two signs") << "+-1" << bad << 0;
    QTest::newRow("blank after sign") << "- 5" << bad << 0;
    QTest::newRow("exponent") << "1e3" << bad << 0;
    QTest::newRow("upper exponent") << "1E3" << bad << 0;
    QTest::newRow("thousands separator") << "1,000" << bad << 0;
    QTest::newRow("decimal comma") << "2,5" << bad << 0;
    QTest::newRow("inner blank") << "1 000" << bad << 0;
    QTest::newRow("two points") << "1.2.3" << bad << 0;
    QTest::newRow("hex prefix") << "0x10" << bad << 0;
    QTest::newRow("basic hex prefix") << "&HFF" << bad << 0;
    QTest::newRow("full-width digits") << "\uFF11\uFF12" << bad << 0;
}

void TstCalcCore::readDecimal()
{
    QFETCH(QString, text);
    QFETCH(Refusal, refusal);
    QFETCH(qint32, value);
    const Reading r = ReadDecimal(text);
    QCOMPARE(r.refusal, refusal);
    if (r.Ok())
        QCOMPARE(r.value, value);
}

void TstCalcCore::readHexadecimal_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<Refusal>("refusal");
    QTest::addColumn<qint32>("value");
    const Refusal ok = Refusal::None;
    QTest::newRow("FF") << "FF" << ok << 255;
    QTest::newRow("ff") << "ff" << ok << 255;
    QTest::newRow("zero") << "0" << ok << 0;
    QTest::newRow("largest") << "7FFFFFFF" << ok << kMax;
    QTest::newRow("smallest") << "80000000" << ok << kMin;
    QTest::newRow("minus one") << "FFFFFFFF" << ok << -1;
    QTest::newRow("0x") << "0x1A" << ok << 26;
    QTest::newRow("0X") << "0X1a" << ok << 26;
    QTest::newRow("h") << "1Ah" << ok << 26;
    QTest::newRow("H") << "1AH" << ok << 26;
    QTest::newRow("0h") << "0h" << ok << 0;
    QTest::newRow("blanks") << "  1A\t" << ok << 26;
    QTest::newRow("eight with zeros") << "00000001" << ok << 1;
    QTest::newRow("prefix and eight") << "0xFFFFFFFE" << ok << -2;

    const Refusal bad = Refusal::NotHexadecimal;
    QTest::newRow("nine digits") << "000000001" << bad << 0;
    QTest::newRow("too large") << "123456789" << bad << 0;
    QTest::newRow("prefix only") << "0x" << bad << 0;
    QTest::newRow("suffix only") << "h" << bad << 0;
    QTest::newRow("prefix and suffix") << "0x1Ah" << bad << 0;
    QTest::newRow("sign") << "-1" << bad << 0;
    QTest::newRow("G") << "1G" << bad << 0;
    QTest::newRow("inner blank") << "1 A" << bad << 0;
    QTest::newRow("decimal point") << "2.5" << bad << 0;
    QTest::newRow("empty") << "" << Refusal::Empty << 0;
    QTest::newRow("blanks only") << " \t " << Refusal::Empty << 0;
}

void TstCalcCore::readHexadecimal()
{
    QFETCH(QString, text);
    QFETCH(Refusal, refusal);
    QFETCH(qint32, value);
    const Reading r = ReadHexadecimal(text);
    QCOMPARE(r.refusal, refusal);
    if (r.Ok())
        QCOMPARE(r.value, value);
}

void TstCalcCore::writeHexadecimal_data()
{
    QTest::addColumn<qint32>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("255") << 255 << "FF";
    QTest::newRow("-1") << -1 << "FFFFFFFF";
    QTest::newRow("smallest") << kMin << "80000000";
    QTest::newRow("largest") << kMax << "7FFFFFFF";
    QTest::newRow("zero") << 0 << "0";
    QTest::newRow("16") << 16 << "10";
    QTest::newRow("-16") << -16 << "FFFFFFF0";
    QTest::newRow("all letters") << 0xABCDEF << "ABCDEF";
}

void TstCalcCore::writeHexadecimal()
{
    QFETCH(qint32, value);
    QFETCH(QString, text);
    QCOMPARE(WriteHexadecimal(value), text);
}

void TstCalcCore::decimalToHexadecimal_data()
{
    QTest::addColumn<QString>("decimal");
    QTest::addColumn<Refusal>("refusal");
    QTest::addColumn<QString>("hex");
    QTest::newRow("255") << "255" << Refusal::None << "FF";
    QTest::newRow("-1") << "-1" << Refusal::None << "FFFFFFFF";
    QTest::newRow("2.5") << "2.5" << Refusal::None << "2";
    QTest::newRow("0") << "0" << Refusal::None << "0";
    QTest::newRow("smallest") << "-2147483648" << Refusal::None << "80000000";
    QTest::newRow("2147483648") << "2147483648" << Refusal::OutOfRange << "";
    QTest::newRow("empty") << "" << Refusal::Empty << "";
    QTest::newRow("12abc") << "12abc" << Refusal::NotDecimal << "";
}

void TstCalcCore::decimalToHexadecimal()
{
    QFETCH(QString, decimal);
    QFETCH(Refusal, refusal);
    QFETCH(QString, hex);
    const Outcome o = DecimalToHexadecimal(decimal);
    QCOMPARE(o.refusal, refusal);
    QCOMPARE(o.text, hex);
}

// Decimal to hexadecimal and back returns to the start for 0..2147483647
// only: HEX_ALG never gives a negative number.
void TstCalcCore::roundTripOnlyForNonNegatives()
{
    for (qint64 v = 0; v <= kMax; v = v * 3 + 7) {
        const QString decimal = QString::number(v);
        QCOMPARE(HexadecimalToDecimal(DecimalToHexadecimal(decimal).text), decimal);
    }
    QCOMPARE(HexadecimalToDecimal(QString::number(kMax, 16)), QString::number(kMax));
    QCOMPARE(HexadecimalToDecimal(DecimalToHexadecimal("-1").text), QStringLiteral("268435455"));
    QCOMPARE(HexadecimalToDecimal(DecimalToHexadecimal("-2147483648").text), QStringLiteral("0"));
    QCOMPARE(HexadecimalToDecimal(""), QStringLiteral("0"));
}

void TstCalcCore::calculate_data()
{
    QTest::addColumn<Mode>("mode");
    QTest::addColumn<Operation>("op");
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<Refusal>("refusal");
    QTest::addColumn<Culprit>("culprit");
    QTest::addColumn<QString>("text");

    const Mode dec = Mode::Decimal;
    const Mode hex = Mode::Hexadecimal;
    const auto add = Operation::Add, sub = Operation::Subtract, mul = Operation::Multiply,
               div = Operation::Divide;
    const auto row = [](const char *name, Mode m, Operation op, const char *a, const char *b,
                        const char *text) {
        QTest::newRow(name) << m << op << QString(a) << QString(b) << Refusal::None << Culprit::None
                            << QString(text);
    };
    const auto refused = [](const char *name, Mode m, Operation op, const char *a, const char *b,
                            Refusal why, Culprit at) {
        QTest::newRow(name) << m << op << QString(a) << QString(b) << why << at << QString();
    };
    const Refusal over = Refusal::Overflow;
    const Culprit res = Culprit::Result;

    row("dec 2+3", dec, add, "2", "3", "5");
    refused("dec max+1", dec, add, "2147483647", "1", over, res);
    refused("dec min+-1", dec, add, "-2147483648", "-1", over, res);
    row("dec max+min", dec, add, "2147483647", "-2147483648", "-1");
    row("dec 5-8", dec, sub, "5", "8", "-3");
    refused("dec min-1", dec, sub, "-2147483648", "1", over, res);
    refused("dec 0-min", dec, sub, "0", "-2147483648", over, res);
    row("dec -1-max", dec, sub, "-1", "2147483647", "-2147483648");
    refused("dec 65536*32768", dec, mul, "65536", "32768", over, res);
    row("dec 65536*-32768", dec, mul, "65536", "-32768", "-2147483648");
    refused("dec -1*min", dec, mul, "-1", "-2147483648", over, res);
    refused("dec max*max", dec, mul, "2147483647", "2147483647", over, res);
    row("dec 0*min", dec, mul, "0", "-2147483648", "0");
    row("dec 2.5+0", dec, add, "2.5", "0", "2");
    row("dec 3.5+0", dec, add, "3.5", "0", "4");
    row("dec 7.5/2", dec, div, "7.5", "2", "4");
    refused("dec 1/0", dec, div, "1", "0", Refusal::DivideByZero, Culprit::Operand2);
    refused("dec 0/0", dec, div, "0", "0", Refusal::DivideByZero, Culprit::Operand2);
    refused("dec 1/0.4", dec, div, "1", "0.4", Refusal::DivideByZero, Culprit::Operand2);
    row("dec 0/5", dec, div, "0", "5", "0");
    row("dec 0/-5", dec, div, "0", "-5", "0");
    row("dec min/-1", dec, div, "-2147483648", "-1", "2147483648");
    row("dec 10/4", dec, div, "10", "4", "2.5");
    row("dec 10/3", dec, div, "10", "3", "3.33333333333333");
    row("dec 2/3", dec, div, "2", "3", "0.666666666666667");
    row("dec -1/2", dec, div, "-1", "2", "-0.5");
    row("dec 6/3", dec, div, "6", "3", "2");
    row("dec 7/2", dec, div, "7", "2", "3.5");
    row("dec 1/max", dec, div, "1", "2147483647", "4.6566128752458E-10");
    row("dec min/max", dec, div, "-2147483648", "2147483647", "-1.00000000046566");
    refused("dec empty*0", dec, mul, "", "0", Refusal::Empty, Culprit::Operand1);
    refused("dec 0*empty", dec, mul, "0", "", Refusal::Empty, Culprit::Operand2);
    refused("dec 1/empty", dec, div, "1", "", Refusal::Empty, Culprit::Operand2);
    refused("dec bad first", dec, add, "x", "y", Refusal::NotDecimal, Culprit::Operand1);
    refused("dec second too big", dec, add, "1", "2147483648", Refusal::OutOfRange, Culprit::Operand2);
    refused("dec refuses hex", dec, add, "FF", "1", Refusal::NotDecimal, Culprit::Operand1);

    row("hex FF+1", hex, add, "FF", "1", "100");
    refused("hex max+1", hex, add, "7FFFFFFF", "1", over, res);
    row("hex -1+1", hex, add, "FFFFFFFF", "1", "0");
    refused("hex min+-1", hex, add, "80000000", "FFFFFFFF", over, res);
    row("hex -1+-1", hex, add, "FFFFFFFF", "FFFFFFFF", "FFFFFFFE");
    row("hex prefix and suffix", hex, add, "0x10", "10h", "20");
    row("hex 5-8", hex, sub, "5", "8", "FFFFFFFD");
    refused("hex min-1", hex, sub, "80000000", "1", over, res);
    refused("hex 0-min", hex, sub, "0", "80000000", over, res);
    row("hex A-a", hex, sub, "A", "a", "0");
    refused("hex 10000*8000", hex, mul, "10000", "8000", over, res);
    row("hex 10000*-8000", hex, mul, "10000", "FFFF8000", "80000000");
    row("hex -1*-1", hex, mul, "FFFFFFFF", "FFFFFFFF", "1");
    refused("hex -1*min", hex, mul, "FFFFFFFF", "80000000", over, res);
    row("hex 64/A", hex, div, "64", "A", "A");
    row("hex 7/2 truncates", hex, div, "7", "2", "3");
    row("hex -7/2 toward zero", hex, div, "FFFFFFF9", "2", "FFFFFFFD");
    row("hex min/1", hex, div, "80000000", "1", "80000000");
    row("hex 0/5", hex, div, "0", "5", "0");
    refused("hex 1/0", hex, div, "1", "0", Refusal::DivideByZero, Culprit::Operand2);
    refused("hex 0/0", hex, div, "0", "0x0", Refusal::DivideByZero, Culprit::Operand2);
    refused("hex min/-1", hex, div, "80000000", "FFFFFFFF", over, res);
    refused("hex bad first", hex, add, "1G", "1", Refusal::NotHexadecimal, Culprit::Operand1);
    refused("hex empty second", hex, mul, "1", " ", Refusal::Empty, Culprit::Operand2);
    refused("hex nine digits", hex, add, "123456789", "1", Refusal::NotHexadecimal, Culprit::Operand1);
    refused("hex refuses decimal point", hex, add, "1", "2.5", Refusal::NotHexadecimal, Culprit::Operand2);
    refused("hex refuses sign", hex, add, "-1", "1", Refusal::NotHexadecimal, Culprit::Operand1);
}

void TstCalcCore::calculate()
{
    QFETCH(Mode, mode);
    QFETCH(Operation, op);
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(Refusal, refusal);
    QFETCH(Culprit, culprit);
    QFETCH(QString, text);
    const Calculation c = Calculate(mode, op, a, b);
    QCOMPARE(c.outcome.refusal, refusal);
    QCOMPARE(c.culprit, culprit);
    QCOMPARE(c.outcome.text, text);
}

void TstCalcCore::everyRefusalHasAReason()
{
    QVERIFY(RefusalReason(Refusal::None).isEmpty());
    QSet<QString> reasons;
    for (Refusal r : {Refusal::Empty, Refusal::NotDecimal, Refusal::NotHexadecimal, Refusal::OutOfRange,
                      Refusal::Overflow, Refusal::DivideByZero}) {
        QVERIFY(!RefusalReason(r).isEmpty());
        reasons.insert(RefusalReason(r));
    }
    QCOMPARE(reasons.size(), 6);
}

QTEST_GUILESS_MAIN(TstCalcCore)
#include "tst_calc_core.moc"
