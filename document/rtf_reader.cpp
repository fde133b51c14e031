#include "document/rtf_reader.h"

#include "document/document.h"
#include "document/rtf_parser.h"
#include "document/text_codec.h"

namespace lumora {

bool IsRtf(const QByteArray &data)
{
    qsizetype i = data.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (i < data.size() && (data[i] == ' ' || data[i] == '\t' || data[i] == '\r' || data[i] == '\n'))
        ++i;
    return QByteArrayView(data).sliced(i).startsWith("{\\rtf");
}

bool ReadRtf(const QByteArray &data, Document *out, QString *error, const Progress &progress)
{
    if (!IsRtf(data)) {
        if (error)
            *error = QStringLiteral("不是 RTF 格式的文件");
        return false;
    }
    if (data.size() > kMaxRtfFileBytes) {
        if (error)
            *error = TooLargeReason(kMaxRtfFileBytes);
        return false;
    }
    RtfParser parser(data);
    parser.SetProgress(progress);
    if (!parser.Parse(error))
        return false;
    *out = parser.TakeDocument();
    return true;
}

} // namespace lumora
