#include "document_io.h"

#include "document_files.h"
#include "rtf_reader.h"
#include "rtf_writer.h"
#include "text_codec.h"

namespace lumora {

bool ReadDocument(const QByteArray &bytes, Document *doc, QString *error)
{
    if (IsRtf(bytes))
        return ReadRtf(bytes, doc, error);
    QString text = DecodeTextFile(bytes);
    text.replace(QLatin1String("\n"), QLatin1String("\r\n"));   // MERGE-B: the decoder gives CR LF
    *doc = Document::FromText(std::move(text));
    return true;
}

bool ReadDocumentFile(const QString &path, Document *doc, QString *error)
{
    QByteArray bytes;
    if (!ReadFileBytes(path, &bytes, error))
        return false;
    QString why;
    if (!ReadDocument(bytes, doc, &why)) {
        if (error)
            *error = QStringLiteral("无法打开文件“%1”：%2").arg(path, why);
        return false;
    }
    return true;
}

bool WriteDocumentFile(const QString &path, const Document &doc, bool asRtf, QString *error)
{
    return asRtf ? WriteFileAtomically(path, WriteRtf(doc), error) : WriteTextFile(path, doc.text, error);
}

bool WriteTextFile(const QString &path, const QString &crlfText, QString *error)
{
    return WriteFileAtomically(path, EncodeTextFile(crlfText), error);
}

} // namespace lumora
