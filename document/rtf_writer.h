#pragma once

#include "document/document.h"

#include <QByteArray>
#include <functional>

namespace lumora {

class TextStore;

// The whole document as RTF 1.x (never empty: an empty document is still a
// complete RTF document).  Text is written as GBK \'hh pairs under
// \ansicpg936, anything GBK lacks as \uN?; every paragraph break (CR LF) is
// \par, U+2028 \line, a tab \tab.  Every font declares GBK (\fcharset134);
// \f0 is the default face.
//
// Every character a document holds comes back from ReadRtf: C0 controls
// other than tab are written as \uN? (readers drop raw and \'hh controls),
// and so are U+FDD0/U+FDD1, U+2029 and a U+FFFC that shows no picture.  A
// lone CR or LF, which a document should not hold, is written as a
// paragraph break; a lone surrogate as U+FFFD, which is what reading it
// would give.
//
// Pictures: PNG and JPEG data read from a file is written back as it is,
// any other picture as PNG.  Small pictures also get an uncompressed
// metafile copy for readers that know no PNG; large ones do not, as the
// copy would cost many times the picture (see the limits in the source).
QByteArray WriteRtf(const Document &doc);
// The same for the editing area's text, written from the store slice by
// slice: no copy of the whole document is made.
QByteArray WriteRtf(const TextStore &text, const QVector<Picture> &pictures, const QVector<QPair<int, Align>> &aligns);
// The same handed to put in pieces of about a megabyte, so that the RTF
// never exists whole either; false when put refused a piece (the writing
// stops there).
bool WriteRtf(const TextStore &text, const QVector<Picture> &pictures, const QVector<QPair<int, Align>> &aligns,
              const std::function<bool(QByteArrayView)> &put);

} // namespace lumora
