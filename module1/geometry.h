#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

class QObject;

namespace lumora {

// Reference client size of a window, in twips, taken once by RecordGeometry.
struct GeometryReference
{
    qint32 RefWidth = 0;
    qint32 RefHeight = 0;
};

// What the layout procedures need of a window: its client size in twips
// (0 x 0 while minimised), its controls, and the reference it keeps.
class LayoutWindow
{
public:
    virtual ~LayoutWindow() = default;
    virtual float ScaleWidth() const = 0;
    virtual float ScaleHeight() const = 0;
    virtual QList<QObject *> Controls() const = 0;
    virtual GeometryReference &Reference() = 0;
};

constexpr int kTwipsPerPixel = 15;

// Remembers the window's client size and, in each control's "Tag", the
// control's left, top, width and height in twips ("0 0 12375 8295 ").
// Controls without a position or size (menu items, non-visual components)
// are skipped and keep their Tag.
void RecordGeometry(LayoutWindow &window);

// Scales every control's remembered rectangle by the ratio of the current
// client size to the remembered one, horizontally and vertically apart.
// Controls that cannot be moved are skipped.  Does nothing before
// RecordGeometry has run (a zero reference has no ratio).
void ApplyGeometry(LayoutWindow &window);

// The record text for one rectangle, each number followed by a space.
QString GeometryRecord(double left, double top, double width, double height);

// Reads the five slots of a record as ApplyGeometry does: each slot takes the
// number before the next space, or 0 when no space follows.
void ParseGeometryRecord(const QString &record, double values[5]);

} // namespace lumora
