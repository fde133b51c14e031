#pragma once

#include "run_list.h"

#include <QStringView>
#include <vector>

namespace lumora {

// What colouring runs one after the other gives (a later run over an
// earlier one where they overlap): sorted, disjoint pieces, neighbours of one
// colour joined.  Runs are clipped to the text, and a run that takes one
// character of a CR LF takes the whole break.
std::vector<ColorPiece> FlattenColorRuns(QStringView text, std::vector<ColorPiece> runs);

} // namespace lumora
