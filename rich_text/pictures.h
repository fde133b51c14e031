#pragma once

#include <QColor>
#include <QImage>
#include <QString>

class QPainter;
class QRectF;

namespace lumora {

// A picture we cannot draw (a vector drawing, damaged data) is kept and
// shown as a framed box of its size.
inline const QColor kPictureBoxFill{0xF0, 0xF0, 0xF0};
inline const QColor kPictureBoxFrame{0x80, 0x80, 0x80};
void DrawPictureBox(QPainter *painter, const QRectF &rect);

// Reads a picture file; picks the largest image of a multi-image file such
// as an ICO.  Returns a null image and sets *error (Chinese) on failure.
QImage ReadPictureFile(const QString &path, QString *error);

} // namespace lumora
