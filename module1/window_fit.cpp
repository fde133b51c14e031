#include "module1/window_fit.h"

#include <algorithm>

namespace lumora {

namespace {

// One axis: the start and length of the window within those of the area.
void FitSpan(int &start, int &length, int areaStart, int areaLength)
{
    length = std::min(length, areaLength);
    start = std::clamp(start, areaStart, areaStart + areaLength - length);
}

} // namespace

QRect FitIntoArea(const QRect &frame, const QRect &area)
{
    if (area.isEmpty())
        return frame;   // no screen to go by
    int x = frame.x(), y = frame.y(), width = frame.width(), height = frame.height();
    FitSpan(x, width, area.x(), area.width());
    FitSpan(y, height, area.y(), area.height());
    return QRect(x, y, width, height);
}

} // namespace lumora
