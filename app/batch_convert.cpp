#include "app/batch_convert.h"

#include "document/bbcode_writer.h"
#include "document/document_files.h"
#include "document/document_io.h"
#include "highlight/core/highlight_document.h"
#include "document/html_writer.h"

#include <QFileInfo>

namespace lumora {

OutputFormat OutputFormatFor(const QString &name)
{
    const auto endsIn = [&name](const char *end) { return name.endsWith(QLatin1String(end), Qt::CaseInsensitive); };
    if (endsIn("rtf"))
        return OutputFormat::Rtf;
    if (endsIn(".html") || endsIn(".htm"))
        return OutputFormat::Html;
    if (endsIn(".bbcode"))
        return OutputFormat::Bbcode;
    return OutputFormat::Text;
}

namespace {

// The lists' folder must be a folder.  The loader creates lists that are
// missing and passes over files it cannot make, so a mistyped name would
// colour nothing and still report the document converted.  A folder without
// the lists is fine: they are created there, as in the program's folder.
bool ListsFolderUsable(const QString &folder, QString *error)
{
    const QFileInfo info(folder);
    if (info.isDir())
        return true;
    *error = QStringLiteral("无法读取关键字列表的文件夹“%1”：%2。")
                 .arg(folder, info.exists() ? QStringLiteral("这不是文件夹") : QStringLiteral("文件夹不存在"));
    return false;
}

} // namespace

// Loading, colouring and saving share every line with the editor's own:
// the document files, the pass's computation and its application, the
// writers.  No widget is made.
bool ConvertDocument(const BatchJob &job, QString *error, QString *notice)
{
    if (job.highlight && !ListsFolderUsable(job.lists, error))
        return false;
    Document doc;
    if (!ReadDocumentFile(job.input, &doc, error))
        return false;
    if (notice)
        *notice = OmittedPartsNotice(doc.omitted);
    if (job.highlight && !HighlightDocument(doc, job.lists)) {
        *error = EmptyTextNotice();
        return false;
    }
    switch (job.format) {
    case OutputFormat::Html:
        return WriteFileAtomically(job.output, WriteHtmlPage(doc, job.title), error);
    case OutputFormat::Bbcode:
        return WriteFileAtomically(job.output, WriteBbcode(doc), error);
    case OutputFormat::Rtf:
    case OutputFormat::Text:
        break;
    }
    return WriteDocumentFile(job.output, doc, job.format == OutputFormat::Rtf, error);
}

} // namespace lumora
