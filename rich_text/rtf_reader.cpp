#include "rtf_reader.h"

#include "rtf_parser.h"

#include <QTextDocument>

namespace lumora {

bool IsRtf(const QByteArray &data)
{
    qsizetype i = data.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (i < data.size() && (data[i] == ' ' || data[i] == '\t' || data[i] == '\r' || data[i] == '\n'))
        ++i;
    return QByteArrayView(data).sliced(i).startsWith("{\\rtf");
}

bool ReadRtf(const QByteArray &data, QTextDocument &doc, QString *error)
{
    if (!IsRtf(data)) {
        if (error)
            *error = QStringLiteral("不是 RTF 格式的文件");
        return false;
    }
    const QFont font = doc.defaultFont();
    RtfParser parser(data, font.family(), font.pointSizeF());
    if (!parser.Parse(error))
        return false;
    parser.Content().Fill(doc);
    return true;
}

} // namespace lumora
