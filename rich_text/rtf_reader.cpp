#include "rtf_reader.h"

#include <QTextDocument>

namespace lumora {

bool IsRtf(const QByteArray &data)
{
    return data.startsWith("{\\rtf");
}

// Placeholder so that callers link while the reader is being built.
bool ReadRtf(const QByteArray &, QTextDocument &, QString *error)
{
    if (error)
        *error = QStringLiteral("RTF 读取尚未完成");
    return false;
}

} // namespace lumora
