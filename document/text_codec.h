#pragma once

#include "document/progress.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <limits>

namespace lumora {

// The largest document file the editor reads, in bytes (1,073,741,823).
// Text positions are 32-bit and count every line break as two characters;
// one byte of a text file gives at most two characters (a lone LF or CR
// becomes CR LF), so the text of any file up to this size has positions
// that fit.  Decoding and encoding work in slices, so no conversion library
// limit lies below it.
constexpr qint64 kMaxDocumentFileBytes = std::numeric_limits<qint32>::max() / 2;

// The reason given for a file over a reading limit, in Chinese.
QString TooLargeReason(qint64 limitBytes);

// Bytes of a plain-text file -> text whose every line break is CR LF ("\r\n";
// CR LF, a lone LF and a lone CR each become CR LF).  The encoding:
//  - UTF-16 (LE or BE) when the file starts with that byte-order mark and the
//    rest is valid UTF-16, the mark dropped;
//  - UTF-8 when the whole file is valid UTF-8 and holds a non-ASCII
//    character, a leading UTF-8 byte-order mark dropped;
//  - otherwise GB18030, the superset of the system's ANSI code page GBK;
//    bytes it cannot read become U+FFFD.
// A mark alone never decides: GBK text may begin with the bytes of one.
// Fails only for a file over kMaxDocumentFileBytes or a conversion that
// comes back short; then returns false, sets *error to a Chinese reason and
// leaves *out alone.
// With progress, a long text reports now and then while it is decoded (a
// false from it abandons the decoding: false, with no reason).
bool DecodeTextFile(const QByteArray &bytes, QString *out, QString *error, const Progress &progress = {});
// The same text handed to sink in pieces as it is decoded, so that a large
// file never exists as one decoded string: every piece is the next stretch
// of the text (a CR LF may be cut between two pieces).  On failure the
// pieces already handed over are to be dropped.
using TextSink = std::function<void(QStringView)>;
bool DecodeTextFile(const QByteArray &bytes, const TextSink &sink, QString *error, const Progress &progress = {});

// The editor's plain text (CR LF line breaks, as RichTextBox::Text() gives
// it) -> the bytes of a text file: GBK, with GB18030's four-byte sequences
// for characters GBK lacks, no byte-order mark, followed by one CR LF.
// Pictures (U+FFFC) take no bytes; a soft line break ('\v', U+2028) and
// U+2029 are written CR LF.  Returns false with a Chinese reason in *error
// when the conversion comes back short; *out is then left alone.
bool EncodeTextFile(const QString &crlfText, QByteArray *out, QString *error);

} // namespace lumora
