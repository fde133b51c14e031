#pragma once

#include "document/document.h"
#include "document/utf8_out.h"

#include <QHash>

namespace lumora {

// Writes the pictures of one RTF file.  A picture read from a file goes
// out with its own data and kind (a metafile stays a metafile); one made
// here goes out as PNG, with a metafile copy for readers without PNG while
// it is small.  Remembers what it encoded, so a picture shown many times
// is encoded once.
class RtfPictureWriter
{
public:
    // False when the picture has nothing to write.
    bool Write(const Picture &p, ByteOut &out);

private:
    void WriteKept(const Picture &p, ByteOut &out);
    void WriteFallback(const Picture &p, qint64 goalw, qint64 goalh, ByteOut &out);

    QHash<qint64, QByteArray> m_png;        // by image cache key
    QHash<qint64, QByteArray> m_fallback;   // by image cache key
    qint64 m_fallbackBytes = 0;
};

} // namespace lumora
