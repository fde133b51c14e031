#include "document/rtf_picture_writer.h"

#include "document/rtf_pictures.h"

#include <QBuffer>

#include <cmath>

namespace lumora {

namespace {

// A picture up to this many pixels also gets an uncompressed metafile copy
// for readers that do not know PNG (a 256 x 256 screenshot costs 192 KB
// that way), until the copies of one document reach the budget.  Beyond
// either the copy would make the file many times larger than the pictures
// themselves.
constexpr qint64 kMaxFallbackPixels = 65536;
constexpr qint64 kFallbackBudgetBytes = qint64(4) * 1024 * 1024;

void AppendNumber(ByteOut &out, const char *word, qint64 n)
{
    out.PutString(word);
    out.Put(QByteArray::number(n));
}

void WriteHex(const QByteArray &data, ByteOut &body)
{
    static const char kHex[] = "0123456789abcdef";
    const qsizetype n = data.size();
    body.Ensure(n * 2 + (n + 63) / 64 * 2);
    char *out = body.Cursor();
    for (qsizetype i = 0; i < n; ++i) {
        if (i % 64 == 0) {
            *out++ = '\r';
            *out++ = '\n';
        }
        const uchar b = uchar(data[i]);
        *out++ = kHex[b >> 4];
        *out++ = kHex[b & 15];
    }
    body.SetCursor(out);
}

// The words naming a kept picture's kind, with the numbers it came with.
void WriteKind(const Picture &p, ByteOut &out)
{
    const auto kind = [&](const char *word) {
        out.PutString(word);
        if (p.kindParam >= 0)
            out.Put(QByteArray::number(p.kindParam));
    };
    switch (p.kind) {
    case Picture::Png: out.Put("\\pngblip"); break;
    case Picture::Jpeg: out.Put("\\jpegblip"); break;
    case Picture::Dib: kind("\\dibitmap"); break;
    case Picture::Wbitmap:
        kind("\\wbitmap");
        AppendNumber(out, "\\wbmbitspixel", p.bitsPixel);
        AppendNumber(out, "\\wbmplanes", p.planes);
        AppendNumber(out, "\\wbmwidthbytes", p.widthBytes);
        break;
    case Picture::Wmf: kind("\\wmetafile"); break;
    case Picture::Emf: out.Put("\\emfblip"); break;
    case Picture::Macpict: out.Put("\\macpict"); break;
    case Picture::Pmmetafile: kind("\\pmmetafile"); break;
    case Picture::Unknown: break;
    }
}

} // namespace

bool RtfPictureWriter::Write(const Picture &p, ByteOut &out)
{
    if (p.image.isNull() && p.data.isEmpty())
        return false;
    if (!p.data.isEmpty() && p.kind != Picture::Png && p.kind != Picture::Jpeg) {
        WriteKept(p, out);
        return true;
    }
    const qint64 key = p.image.cacheKey();
    QByteArray data = p.data;
    const bool jpeg = !data.isEmpty() && p.kind == Picture::Jpeg;
    if (data.isEmpty()) {
        auto it = m_png.find(key);
        if (it == m_png.end()) {
            QBuffer buffer;
            buffer.open(QIODevice::WriteOnly);
            p.image.save(&buffer, "PNG");
            it = m_png.insert(key, buffer.data());
        }
        data = it.value();
    }
    const double w = p.width > 0 ? p.width : p.image.width();
    const double h = p.height > 0 ? p.height : p.image.height();
    const qint64 goalw = std::llround(w * 15), goalh = std::llround(h * 15);
    out.PutString(jpeg ? "{\\*\\shppict{\\pict\\jpegblip" : "{\\*\\shppict{\\pict\\pngblip");
    AppendNumber(out, "\\picw", p.image.isNull() ? std::llround(w) : p.image.width());
    AppendNumber(out, "\\pich", p.image.isNull() ? std::llround(h) : p.image.height());
    AppendNumber(out, "\\picwgoal", goalw);
    AppendNumber(out, "\\pichgoal", goalh);
    WriteHex(data, out);
    out.Put("}}");
    WriteFallback(p, goalw, goalh, out);
    return true;
}

void RtfPictureWriter::WriteFallback(const Picture &p, qint64 goalw, qint64 goalh, ByteOut &out)
{
    const qint64 pixels = qint64(p.image.width()) * p.image.height();
    if (p.image.isNull() || pixels > kMaxFallbackPixels)
        return;
    const qint64 key = p.image.cacheKey();
    auto it = m_fallback.find(key);
    if (it == m_fallback.end() && m_fallbackBytes + pixels * 3 <= kFallbackBudgetBytes) {
        it = m_fallback.insert(key, MetafileWithDib(p.image));
        m_fallbackBytes += it.value().size();
    }
    if (it == m_fallback.end() || it.value().isEmpty())
        return;
    out.Put("{\\nonshppict{\\pict\\wmetafile8");
    AppendNumber(out, "\\picw", std::llround(goalw / 15.0 * 2540 / 96));
    AppendNumber(out, "\\pich", std::llround(goalh / 15.0 * 2540 / 96));
    AppendNumber(out, "\\picwgoal", goalw);
    AppendNumber(out, "\\pichgoal", goalh);
    WriteHex(it.value(), out);
    out.Put("}}");
}

// The data as it came, in its kind, at its display size.  The stored size
// goes back as read, since a raw bitmap is decoded by it; a metafile made
// here without one gets it from the display size.
void RtfPictureWriter::WriteKept(const Picture &p, ByteOut &out)
{
    const double w = p.width > 0 ? p.width : p.image.width();
    const double h = p.height > 0 ? p.height : p.image.height();
    qint64 picw = p.storedWidth, pich = p.storedHeight;
    if (IsMetafile(p.kind) && (picw == 0 || pich == 0)) {
        picw = std::llround(w * 2540 / 96);
        pich = std::llround(h * 2540 / 96);
    }
    out.Put("{\\pict");
    WriteKind(p, out);
    if (picw != 0)
        AppendNumber(out, "\\picw", picw);
    if (pich != 0)
        AppendNumber(out, "\\pich", pich);
    AppendNumber(out, "\\picwgoal", std::llround(w * 15));
    AppendNumber(out, "\\pichgoal", std::llround(h * 15));
    WriteHex(p.data, out);
    out.Put('}');
}

} // namespace lumora
