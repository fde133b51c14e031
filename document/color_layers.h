#pragma once

#include "document/char_format.h"
#include "document/run_list.h"

#include <QStringView>
#include <vector>

namespace lumora {

// Colours the formats of a text with runs applied one after the other (a
// later run over an earlier one where they overlap), over whatever else the
// formats say.  Runs are clipped to the text, and a run that takes one
// character of a CR LF takes the whole break.  Runs that come in a few
// sorted layers (the highlighting pass's rules) are applied layer by layer,
// in one pass over the formats each.
void PaintColorRuns(QStringView text, std::vector<ColorPiece> runs, RunList &formats, FormatTable &table);

} // namespace lumora
