#include "batch_convert.h"

#include "document_files.h"
#include "highlight.h"
#include "rich_text_box.h"

#include <memory>

namespace lumora {

bool ConvertDocument(const BatchJob &job, QString *error)
{
    auto editor = std::make_unique<RichTextBox>();
    if (!editor->LoadFile(job.input, error))
        return false;
    if (job.highlight && !HighlightEditorText(*editor, job.lists)) {
        *error = EmptyTextNotice();
        return false;
    }
    const bool rtf = job.output.right(3).compare(QLatin1String("rtf"), Qt::CaseInsensitive) == 0;
    if (!(rtf ? editor->SaveFile(job.output, error) : WriteTextFile(job.output, editor->Text(), error)))
        return false;
    (void)editor.release();
    return true;
}

} // namespace lumora
