#include "batch_convert.h"

#include "bbcode_writer.h"
#include "document_files.h"
#include "document_io.h"
#include "highlight_document.h"
#include "html_writer.h"

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

// Loading, colouring and saving share every line with the editor's own:
// the document files, the pass's computation and its application, the
// writers.  No widget is made.
bool ConvertDocument(const BatchJob &job, QString *error, QString *notice)
{
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
