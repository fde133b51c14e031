#include "highlight/core/keyword_lists.h"

#include "document/file_paths.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace lumora {

QString DecodeAnsiText(const QByteArray &bytes)
{
    QStringDecoder gbk("GBK", QStringConverter::Flag::ConvertInitialBom);
    if (!gbk.isValid())
        return QString::fromLocal8Bit(bytes);
    // The decoder keeps a lead byte cut off at the end of the file waiting for
    // its trail byte.  A LF can never be one, so behind the text it turns
    // such a byte into a replacement character; then it is taken off again.
    QString text = gbk.decode(bytes + '\n');
    text.chop(1);
    return text;
}

KeywordList SplitKeywordText(const QString &text)
{
    if (text.isEmpty())
        return {};
    return text.split(QStringLiteral("\r\n"), Qt::KeepEmptyParts, Qt::CaseSensitive);
}

KeywordList LoadKeywordList(const QString &folder, const QString &fileName)
{
    const QString path = folder + QLatin1Char('/') + fileName;
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink()) {
        // A fresh empty list file, which the user can then fill.
        QFile created(path);
        if (created.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            created.close();
    }
    // Only a regular file is read: a FIFO or device could block or never end.
    QFile file;
    struct stat st;
    QString why;
    if (!OpenForReading(path, &file, &st, &why))
        return {};
    const QByteArray bytes = file.readAll();
    file.close();
    return SplitKeywordText(DecodeAnsiText(bytes));
}

KeywordLists LoadKeywordLists(const QString &folder)
{
    KeywordLists lists;
    lists.jmp = LoadKeywordList(folder, QLatin1String(kJmpListFile));
    lists.eax = LoadKeywordList(folder, QLatin1String(kEaxListFile));
    lists.mov = LoadKeywordList(folder, QLatin1String(kMovListFile));
    lists.finda = LoadKeywordList(folder, QLatin1String(kFindaListFile));
    return lists;
}

} // namespace lumora
