#pragma once

#include <QColor>
#include <QImage>
#include <QString>

class QPainter;
class QRectF;
class QTextCursor;
class QTextDocument;

namespace lumora {

// Pictures live in the document as image resources; the name ties the
// character in the text to the image data, which the RTF writer reads back.
QString AddPictureResource(QTextDocument *doc, const QImage &image);

// A picture we cannot draw (a vector drawing, damaged data) is kept and
// shown as a framed box of its size.
inline const QColor kPictureBoxFill{0xF0, 0xF0, 0xF0};
inline const QColor kPictureBoxFrame{0x80, 0x80, 0x80};
void DrawPictureBox(QPainter *painter, const QRectF &rect);

// Makes the document's layout draw the pictures in it, at the size their
// format gives (the plain-text layout the editor uses has no picture
// drawing of its own).
void RegisterPictureDrawing(QTextDocument *doc);

// Inserts the picture at the cursor at its natural size (one pixel per pixel).
void InsertPicture(QTextCursor &cursor, const QImage &image);

// Reads a picture file; picks the largest image of a multi-image file such
// as an ICO.  Returns a null image and sets *error (Chinese) on failure.
QImage ReadPictureFile(const QString &path, QString *error);

} // namespace lumora
