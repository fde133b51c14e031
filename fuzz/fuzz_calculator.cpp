// The calculator's readers: HEX_ALG never leaves 0..2147483647, and the
// decimal and hexadecimal readers agree with the writer they pair with.
#include "calculator/calc_core.h"
#include "fuzz/fuzz_support.h"

#include <QString>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(Bytes(data, size));
    const qint32 h = lumora::HEX_ALG(text);
    FUZZ_CHECK(h >= 0);

    const lumora::Reading d = lumora::ReadDecimal(text);
    if (d.Ok()) {
        const lumora::Outcome hex = lumora::DecimalToHexadecimal(text);
        FUZZ_CHECK(hex.Ok());
        const lumora::Reading back = lumora::ReadHexadecimal(hex.text);
        FUZZ_CHECK(back.Ok() && back.value == d.value);
    }
    const lumora::Reading x = lumora::ReadHexadecimal(text);
    if (x.Ok())
        FUZZ_CHECK(lumora::ReadHexadecimal(lumora::WriteHexadecimal(x.value)).value == x.value);

    const int half = int(text.size() / 2);
    for (auto mode : {lumora::Mode::Decimal, lumora::Mode::Hexadecimal})
        for (auto op : {lumora::Operation::Add, lumora::Operation::Subtract, lumora::Operation::Multiply,
                        lumora::Operation::Divide})
            lumora::Calculate(mode, op, text.left(half), text.mid(half));
    return 0;
}
