// Plain-text files: any bytes decode, no CR survives as a character, and
// the text written back decodes to the same text.
#include "fuzz_support.h"
#include "text_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = lumora::DecodeTextFile(Bytes(data, size));
    FUZZ_CHECK(!text.contains(QLatin1Char('\r')));
    QString crlf = text;
    crlf.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    crlf.remove(QChar(QChar::ObjectReplacementCharacter));
    crlf.replace(QLatin1Char('\v'), QLatin1String("\r\n"));
    crlf.replace(QChar(QChar::LineSeparator), QLatin1String("\r\n"));
    const QByteArray bytes = lumora::EncodeTextFile(crlf);
    FUZZ_CHECK(bytes.endsWith("\r\n"));
    QString back = lumora::DecodeTextFile(bytes);
    back.chop(1);   // the CR LF every text file ends with
    QString expected = crlf;
    expected.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    // A text that starts with the UTF-8 mark character would be read back
    // as UTF-8; GB18030 bytes never start with EF BB BF otherwise.
    if (!expected.startsWith(QChar(0xFEFF)))
        FUZZ_CHECK(back == expected);
    return 0;
}
