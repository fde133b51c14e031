#pragma once

#include <QRect>

namespace lumora {

// Where a window whose frame covers `frame` goes on a screen whose free area
// (without panels) is `area`: where it lies inside, exactly where it was;
// otherwise no wider or taller than the area, and moved the least way that
// brings it wholly inside.  A window placed for a small scale can then be
// reached and moved on a screen that shows everything larger.
QRect FitIntoArea(const QRect &frame, const QRect &area);

} // namespace lumora
