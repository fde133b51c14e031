// The Save As name rule: the result always ends in the extension (any
// case), and a name that already did is left alone.
#include "fuzz/fuzz_support.h"
#include "main_window/save_name.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString name = QString::fromUtf8(Bytes(data, size));
    for (const QString &ext : {QStringLiteral("TXT"), QStringLiteral("RTF")}) {
        const QString out = lumora::WithExtension(name, ext);
        FUZZ_CHECK(out.right(3).toUpper() == ext);
        FUZZ_CHECK(out.startsWith(name));
        FUZZ_CHECK(out == name || out == name + QLatin1Char('.') + ext);
        FUZZ_CHECK(lumora::WithExtension(out, ext) == out);
    }
    return 0;
}
