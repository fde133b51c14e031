// Bytes to document: the reader must never crash, hang or run away with
// memory, and whatever it reads must survive a write and a second read.
#include "fuzz_support.h"
#include "rtf_reader.h"
#include "rtf_writer.h"

#include <QTextDocument>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    EnsureGuiApplication();
    QTextDocument doc;
    QString error;
    if (!lumora::ReadRtf(Bytes(data, size), doc, &error)) {
        FUZZ_CHECK(doc.isEmpty());
        FUZZ_CHECK(!error.isEmpty());
        return 0;
    }
    const QString text = doc.toRawText();
    const QByteArray rtf = lumora::WriteRtf(doc);
    FUZZ_CHECK(lumora::IsRtf(rtf));
    QTextDocument again;
    FUZZ_CHECK(lumora::ReadRtf(rtf, again, &error) || text.isEmpty());
    FUZZ_CHECK(again.toRawText() == text);
    return 0;
}
