#include "document/rtf_pictures.h"

#include <QBuffer>
#include <QImageReader>
#include <QtEndian>

#include <cmath>

namespace lumora {

namespace {

quint32 Le32(const QByteArray &d, qsizetype at)
{
    return at + 4 <= d.size() ? qFromLittleEndian<quint32>(d.constData() + at) : 0;
}

quint16 Le16(const QByteArray &d, qsizetype at)
{
    return at + 2 <= d.size() ? qFromLittleEndian<quint16>(d.constData() + at) : 0;
}

QImage ReadImage(const QByteArray &bytes, const char *format)
{
    QImageReader::setAllocationLimit(kRtfPictureAllocationLimitMb);
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    return reader.read();
}

// A packed DIB (BITMAPINFO followed by the bits) read through the BMP
// reader, which wants the file header in front.
QImage ReadDib(const QByteArray &dib)
{
    const quint32 headerSize = Le32(dib, 0);
    if (headerSize < 12 || headerSize > 124 || dib.size() < qsizetype(headerSize))
        return {};
    quint32 colors = 0;
    quint32 paletteEntry = 4;
    quint32 masks = 0;
    int bitCount = 0;
    if (headerSize == 12) {
        bitCount = Le16(dib, 10);
        paletteEntry = 3;
        colors = bitCount <= 8 ? 1u << bitCount : 0;
    } else {
        bitCount = Le16(dib, 14);
        const quint32 compression = Le32(dib, 16);
        colors = Le32(dib, 32);
        if (colors == 0 && bitCount <= 8)
            colors = 1u << bitCount;
        if (headerSize == 40 && compression == 3)
            masks = 12;
        else if (headerSize == 40 && compression == 6)
            masks = 16;
    }
    colors = std::min<quint32>(colors, 256);
    QByteArray file;
    file.reserve(dib.size() + 14);
    file.append("BM", 2);
    char header[12];
    qToLittleEndian<quint32>(quint32(dib.size() + 14), header);
    qToLittleEndian<quint32>(0, header + 4);
    qToLittleEndian<quint32>(14 + headerSize + masks + colors * paletteEntry, header + 8);
    file.append(header, 12);
    file.append(dib);
    return ReadImage(file, "BMP");
}

// The first bitmap a Windows metafile draws; Word wraps pictures this way.
QImage ReadMetafileDib(const QByteArray &wmf)
{
    qsizetype pos = 0;
    if (Le32(wmf, 0) == 0x9AC6CDD7u)
        pos = 22;   // placeable header
    pos += qsizetype(Le16(wmf, pos + 2)) * 2;
    if (pos < 18)
        pos = 18;
    while (pos + 6 <= wmf.size()) {
        const qint64 words = Le32(wmf, pos);
        const quint16 function = Le16(wmf, pos + 4);
        if (words < 3 || function == 0)
            break;
        const qsizetype end = std::min<qint64>(pos + words * 2, wmf.size());
        qsizetype params = -1;
        switch (function) {
        case 0x0F43: params = 22; break;   // StretchDIB
        case 0x0B41: params = 20; break;   // DIBStretchBlt
        case 0x0940: params = 16; break;   // DIBBitBlt
        case 0x0D33: params = 18; break;   // SetDIBitsToDevice
        default: break;
        }
        if (params >= 0 && pos + 6 + params + 12 <= end) {
            const QImage img = ReadDib(wmf.mid(pos + 6 + params, end - pos - 6 - params));
            if (!img.isNull())
                return img;
        }
        pos += words * 2;
    }
    return {};
}

// The first bitmap an enhanced metafile draws with StretchDIBits, the way
// many programs wrap a picture in EMF.  Vector drawings give a null image.
QImage ReadEnhancedMetafileDib(const QByteArray &emf)
{
    constexpr quint32 kStretchDiBits = 81;
    qsizetype pos = 0;
    while (pos + 8 <= emf.size()) {
        const quint32 type = Le32(emf, pos), size = Le32(emf, pos + 4);
        if (size < 8 || size % 4 || qsizetype(size) > emf.size() - pos || type == 14)   // 14: EOF
            break;
        if (type == kStretchDiBits && size >= 80) {
            const quint32 offBmi = Le32(emf, pos + 48), cbBmi = Le32(emf, pos + 52);
            const quint32 offBits = Le32(emf, pos + 56), cbBits = Le32(emf, pos + 60);
            if (offBmi <= size && cbBmi <= size - offBmi && offBits <= size && cbBits <= size - offBits) {
                const QImage img = ReadDib(emf.mid(pos + offBmi, cbBmi) + emf.mid(pos + offBits, cbBits));
                if (!img.isNull())
                    return img;
            }
        }
        pos += size;
    }
    return {};
}

const QVector<QRgb> &VgaPalette()
{
    static const QVector<QRgb> pal = {
        qRgb(0, 0, 0), qRgb(128, 0, 0), qRgb(0, 128, 0), qRgb(128, 128, 0),
        qRgb(0, 0, 128), qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
        qRgb(128, 128, 128), qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(255, 255, 0),
        qRgb(0, 0, 255), qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};
    return pal;
}

QRgb DdbPixel(const uchar *row, int x, int bits)
{
    switch (bits) {
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1 ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
    case 4: return VgaPalette()[(row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF];
    case 8: return qRgb(row[x], row[x], row[x]);
    case 16: {
        const int v = row[2 * x] | row[2 * x + 1] << 8;
        return qRgb(((v >> 10) & 31) * 255 / 31, ((v >> 5) & 31) * 255 / 31, (v & 31) * 255 / 31);
    }
    case 24: return qRgb(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
    default: return qRgb(row[4 * x + 2], row[4 * x + 1], row[4 * x]);
    }
}

// A device-dependent bitmap: raw rows, top row first, no palette.
QImage ReadWbitmap(const RtfPictureInfo &info, const QByteArray &data)
{
    const int w = info.picw, h = info.pich;
    // Both factors come from the file, so the product is taken in 64 bits.
    const qint64 bits = qint64(info.bitsPixel) * std::max(1, info.planes);
    if (w <= 0 || h <= 0 || w > 32767 || h > 32767)
        return {};
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return {};
    if (qint64(w) * h * 4 > qint64(kRtfPictureAllocationLimitMb) * 1024 * 1024)
        return {};
    const qint64 minStride = (qint64(w) * bits + 15) / 16 * 2;
    const qint64 stride = info.widthBytes >= (qint64(w) * bits + 7) / 8 ? info.widthBytes : minStride;
    if (stride * h > data.size())
        return {};
    QImage img(w, h, QImage::Format_RGB32);
    if (img.isNull())
        return {};
    for (int y = 0; y < h; ++y) {
        const uchar *row = reinterpret_cast<const uchar *>(data.constData()) + stride * y;
        QRgb *out = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < w; ++x)
            out[x] = DdbPixel(row, x, int(bits));
    }
    return img;
}

} // namespace

QImage DecodeRtfPicture(const RtfPictureInfo &info, const QByteArray &data)
{
    if (data.isEmpty())
        return {};
    switch (info.kind) {
    case Picture::Png: return ReadImage(data, "PNG");
    case Picture::Jpeg: return ReadImage(data, "JPEG");
    case Picture::Dib: return ReadDib(data);
    case Picture::Wbitmap: return ReadWbitmap(info, data);
    case Picture::Wmf: return ReadMetafileDib(data);
    case Picture::Emf: return ReadEnhancedMetafileDib(data);
    default: return {};
    }
}

bool IsMetafile(Picture::Kind kind)
{
    return kind == Picture::Wmf || kind == Picture::Emf || kind == Picture::Pmmetafile;
}

QSizeF RtfPictureDisplaySize(const RtfPictureInfo &info, const QImage &image)
{
    // A box for a picture we can neither show nor size: big enough to see.
    constexpr double kUnsizedSide = 32;
    double w = image.width(), h = image.height();
    if (info.goalw > 0 && info.goalh > 0) {
        w = info.goalw / 15.0;
        h = info.goalh / 15.0;
    } else if (IsMetafile(info.kind) && info.picw > 0 && info.pich > 0) {
        w = info.picw * 96.0 / 2540.0;
        h = info.pich * 96.0 / 2540.0;
    } else if (image.isNull()) {
        w = info.picw;
        h = info.pich;
    }
    if (info.scalex > 0 && info.scalex != 100)
        w = w * info.scalex / 100.0;
    if (info.scaley > 0 && info.scaley != 100)
        h = h * info.scaley / 100.0;
    // Kept in whole twips, the unit the file is written in, so that a size
    // read comes back the same from our own file.
    w = std::round(w * 15) / 15;
    h = std::round(h * 15) / 15;
    // Damaged sizes must not give a picture no window can show.
    if (!(w > 0 && w <= 100000) || !(h > 0 && h <= 100000)) {
        w = image.isNull() ? kUnsizedSide : image.width();
        h = image.isNull() ? kUnsizedSide : image.height();
    }
    return {w, h};
}

namespace {

void Put16(QByteArray &out, quint16 v)
{
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}

void Put32(QByteArray &out, quint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

// BITMAPINFOHEADER and bottom-up 24-bit rows, padded to four bytes.
QByteArray Dib24(const QImage &source)
{
    const QImage img = source.convertToFormat(QImage::Format_RGB888);
    const int w = img.width(), h = img.height();
    const int stride = (w * 3 + 3) & ~3;
    QByteArray dib;
    dib.reserve(40 + qsizetype(stride) * h);
    Put32(dib, 40);
    Put32(dib, quint32(w));
    Put32(dib, quint32(h));
    Put16(dib, 1);
    Put16(dib, 24);
    Put32(dib, 0);
    Put32(dib, quint32(stride * h));
    Put32(dib, 3780);   // 96 dpi in pixels per metre
    Put32(dib, 3780);
    Put32(dib, 0);
    Put32(dib, 0);
    QByteArray row(stride, '\0');
    for (int y = h - 1; y >= 0; --y) {
        const uchar *in = img.constScanLine(y);
        for (int x = 0; x < w; ++x) {
            row[3 * x] = char(in[3 * x + 2]);
            row[3 * x + 1] = char(in[3 * x + 1]);
            row[3 * x + 2] = char(in[3 * x]);
        }
        dib.append(row);
    }
    return dib;
}

} // namespace

QByteArray MetafileWithDib(const QImage &image)
{
    if (image.isNull() || image.width() > 32767 || image.height() > 32767)
        return {};
    const QByteArray dib = Dib24(image);
    const quint32 stretchWords = quint32((6 + 22 + dib.size()) / 2);
    const quint32 totalWords = 9 + 4 + 5 + 5 + stretchWords + 3;
    const quint16 w = quint16(image.width()), h = quint16(image.height());
    QByteArray wmf;
    wmf.reserve(qsizetype(totalWords) * 2);
    Put16(wmf, 1);        // memory metafile
    Put16(wmf, 9);        // header words
    Put16(wmf, 0x0300);
    Put32(wmf, totalWords);
    Put16(wmf, 0);        // objects
    Put32(wmf, stretchWords);
    Put16(wmf, 0);
    Put32(wmf, 4); Put16(wmf, 0x0103); Put16(wmf, 8);                // SetMapMode(MM_ANISOTROPIC)
    Put32(wmf, 5); Put16(wmf, 0x020B); Put16(wmf, 0); Put16(wmf, 0); // SetWindowOrg
    Put32(wmf, 5); Put16(wmf, 0x020C); Put16(wmf, h); Put16(wmf, w); // SetWindowExt
    Put32(wmf, stretchWords);
    Put16(wmf, 0x0F43);   // StretchDIB
    Put32(wmf, 0x00CC0020);   // SRCCOPY
    Put16(wmf, 0);        // DIB_RGB_COLORS
    Put16(wmf, h); Put16(wmf, w); Put16(wmf, 0); Put16(wmf, 0);   // source
    Put16(wmf, h); Put16(wmf, w); Put16(wmf, 0); Put16(wmf, 0);   // destination
    wmf.append(dib);
    Put32(wmf, 3); Put16(wmf, 0);                                  // EOF
    return wmf;
}

} // namespace lumora
