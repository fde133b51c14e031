#pragma once

#include "document/progress.h"

#include <QByteArray>
#include <QString>
#include <limits>

namespace lumora {

struct Document;

// The largest RTF file read.  RTF spends at least one byte on every
// character it gives, so the text of any such file has positions that fit;
// and it is larger than the largest text file, because the RTF written for
// a text file takes more bytes than the text (a listing about 1.5 times).
constexpr qint64 kMaxRtfFileBytes = std::numeric_limits<qint32>::max();

// True when the bytes are meant as RTF: they start with "{\rtf", after an
// optional UTF-8 byte-order mark and leading white space.
bool IsRtf(const QByteArray &data);

// Reads an RTF document (text, character formats, pictures, alignment) of
// at most kMaxRtfFileBytes into *out, replacing it.  On input that yields nothing readable returns
// false, leaves *out unchanged and sets *error (may be null) to a short
// Chinese reason.  Damaged but readable input gives a best-effort document.
// Never crashes, hangs or allocates without bound.
//
// Characters: text is decoded from the code page of its font (GBK when
// nothing says otherwise); \uN gives any UTF-16 unit, C0 controls included
// (that is how they are written), except CR and LF, which only a paragraph
// break puts in the text.  Raw control bytes and \'hh controls are dropped,
// as RTF gives them no meaning.  A surrogate without its partner becomes
// U+FFFD.  Identical pictures share one decoded image.
bool ReadRtf(const QByteArray &data, Document *out, QString *error, const Progress &progress = {});

} // namespace lumora
