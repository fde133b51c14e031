#pragma once

#include <QString>

namespace lumora {

struct BatchJob
{
    QString input;
    QString output;
    bool highlight = false;
    QString lists;   // folder of the keyword lists, for the highlighting pass
};

// Converts one document exactly as the editor does: loads the input as File
// > Open would (RTF or GBK text), runs "OD语法高亮" when asked, and writes
// the output as Save / Save As would, as RTF when its name ends in "rtf" (any
// case), else as a GBK text file.  On failure returns false with a Chinese
// reason in *error, and an existing output stays as it was.
//
// On success the loaded document is left for the process exit to free:
// tearing down a million coloured fragments one by one takes longer than
// the conversion's last step, so the caller ends the process at once.
bool ConvertDocument(const BatchJob &job, QString *error);

} // namespace lumora
