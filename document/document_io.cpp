#include "document/document_io.h"

#include "document/document_files.h"
#include "document/rtf_reader.h"
#include "document/rtf_writer.h"
#include "document/text_codec.h"

#include <QStringList>

namespace lumora {

bool ReadDocument(const QByteArray &bytes, Document *doc, QString *error, const Progress &progress)
{
    if (IsRtf(bytes))
        return ReadRtf(bytes, doc, error, progress);
    QString text;
    if (!DecodeTextFile(bytes, &text, error, progress))
        return false;
    *doc = Document::FromText(std::move(text));
    return true;
}

bool ReadDocumentFile(const QString &path, Document *doc, QString *error, const Progress &progress, bool *isRtf)
{
    QByteArray bytes;
    if (!ReadFileBytes(path, &bytes, error, progress))
        return false;
    if (isRtf)
        *isRtf = IsRtf(bytes);
    QString why;
    if (!ReadDocument(bytes, doc, &why, progress)) {
        if (error && !why.isEmpty())
            *error = QStringLiteral("无法打开文件“%1”：%2").arg(path, why);
        return false;
    }
    return true;
}

bool ReadDocumentFile(const QString &path, Document *doc, TextStore *text, QString *error, const Progress &progress,
                      bool *isRtf)
{
    FileBytes file;
    if (!ReadFileBytes(path, &file, error, progress))
        return false;
    QByteArray bytes = file.Bytes();
    const bool rtf = IsRtf(bytes);
    if (isRtf)
        *isRtf = rtf;
    QString why;
    bool read;
    if (rtf) {
        read = ReadRtf(bytes, doc, &why, progress);
        bytes = QByteArray();
        if (read) {
            text->Load(*doc);
            doc->text = QString();
            doc->runs = RunList();
        }
    } else {
        TextStore::Filler filler;
        // The decoder reads on from a little before where it reports: the
        // bytes before that go back as the text grows.
        const Progress releasing = [&](qint64 done, qint64 total) {
            constexpr qint64 kLag = 1 << 20;
            file.ReleaseBefore(done - kLag);
            return !progress || progress(done, total);
        };
        read = DecodeTextFile(bytes, [&filler](QStringView piece) { filler.Append(piece); }, &why, releasing);
        *doc = Document();
        if (read)
            *text = filler.Finish();
    }
    if (!read && error && !why.isEmpty())
        *error = QStringLiteral("无法打开文件“%1”：%2").arg(path, why);
    return read;
}

QString OmittedPartsNotice(quint8 omitted)
{
    QStringList kinds;
    if (omitted & kOmittedFootnotes)
        kinds << QStringLiteral("脚注");
    if (omitted & kOmittedHeaders)
        kinds << QStringLiteral("页眉");
    if (omitted & kOmittedFooters)
        kinds << QStringLiteral("页脚");
    if (omitted & kOmittedComments)
        kinds << QStringLiteral("批注");
    if (kinds.isEmpty())
        return QString();
    QString list = kinds.takeLast();
    if (!kinds.isEmpty())
        list = kinds.join(QStringLiteral("、")) + QStringLiteral("和") + list;
    return QStringLiteral("此文件中的%1未被读入，保存时不会包含它们。").arg(list);
}

bool WriteDocumentFile(const QString &path, const Document &doc, bool asRtf, QString *error)
{
    return asRtf ? WriteDocumentBytes(path, WriteRtf(doc), error) : WriteTextFile(path, doc.text, error);
}

} // namespace lumora
