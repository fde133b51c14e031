#pragma once

#include "document/document.h"

#include <QByteArray>
#include <QImage>
#include <QSizeF>

namespace lumora {

// What a \pict group said about its picture.
struct RtfPictureInfo
{
    Picture::Kind kind = Picture::Unknown;
    int kindParam = -1;               // \wmetafileN, \pmmetafileN, \wbitmapN, \dibitmapN
    int picw = 0, pich = 0;           // bitmaps: pixels; metafiles: 0.01 mm
    int goalw = 0, goalh = 0;         // twips
    int scalex = 100, scaley = 100;   // percent
    int bitsPixel = 1, planes = 1, widthBytes = 0;   // \wbitmap only
};

// Largest picture data we collect from one \pict, and largest picture we
// decode (pixel memory, MB).  Corrupt sizes cannot make us allocate more.
constexpr qsizetype kMaxRtfPictureBytes = qsizetype(64) * 1024 * 1024;
constexpr int kRtfPictureAllocationLimitMb = 256;

// The picture in the data, or a null image for kinds we do not show (vector
// drawings) and for damaged data.
QImage DecodeRtfPicture(const RtfPictureInfo &info, const QByteArray &data);

// The size to show the picture at, in pixels at 96 dpi, in whole twips.  A
// picture we cannot show (a null image) gets the size the file gives it.
QSizeF RtfPictureDisplaySize(const RtfPictureInfo &info, const QImage &image);

// Metafiles give \picw and \pich in 0.01 mm, bitmaps in pixels.
bool IsMetafile(Picture::Kind kind);

// A Windows metafile holding the image as one 24-bit DIB, the form older RTF
// readers understand.  Empty when the image is too large for a metafile.
QByteArray MetafileWithDib(const QImage &image);

} // namespace lumora
