#pragma once

#include <QString>

namespace lumora {

// What the output file's name asks for.
enum class OutputFormat { Text, Rtf, Html, Bbcode };

// As Save / Save As decide, RTF when the name's last three characters are
// "rtf" in any case; else an HTML page for a name ending in ".html" or
// ".htm", forum code for ".bbcode" (any case); else GBK text.
OutputFormat OutputFormatFor(const QString &name);

struct BatchJob
{
    QString input;
    QString output;
    OutputFormat format = OutputFormat::Text;   // by the name the user gave, not the path written to
    bool highlight = false;
    QString lists;   // folder of the keyword lists, for the highlighting pass
    QString title;   // of an HTML page: the input's name
};

// Converts one document exactly as the editor does: loads the input as File
// > Open would (RTF or GBK text), runs "OD语法高亮" when asked, and writes
// the output in the job's format: RTF and text as Save / Save As would, or
// an HTML page or forum code from the same document.  On failure returns
// false with a Chinese reason in *error, and an existing output stays as it
// was.  *notice (may be null) gets what the user must know about a
// conversion that went ahead: the parts of the input the document does not
// keep (see OmittedPartsNotice); empty when there are none.
bool ConvertDocument(const BatchJob &job, QString *error, QString *notice = nullptr);

} // namespace lumora
