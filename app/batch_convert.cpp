#include "batch_convert.h"

#include "document_io.h"
#include "highlight_document.h"

namespace lumora {

// Loading, colouring and saving share every line with the editor's own:
// the document files, the pass's computation and its application, the
// writers.  No widget is made.
bool ConvertDocument(const BatchJob &job, QString *error)
{
    Document doc;
    if (!ReadDocumentFile(job.input, &doc, error))
        return false;
    if (job.highlight && !HighlightDocument(doc, job.lists)) {
        *error = EmptyTextNotice();
        return false;
    }
    const bool rtf = job.output.right(3).compare(QLatin1String("rtf"), Qt::CaseInsensitive) == 0;
    return WriteDocumentFile(job.output, doc, rtf, error);
}

} // namespace lumora
