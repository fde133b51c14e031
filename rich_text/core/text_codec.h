#pragma once

#include <QByteArray>
#include <QString>

namespace lumora {

// Bytes of a plain-text file -> text with '\n' line breaks (LF, CR LF and a
// lone CR all end a line).  The system's ANSI code page is GBK, so the bytes
// are read as GB18030 (its superset) unless the file starts with a UTF-8
// byte-order mark (then UTF-8, the mark dropped).  Undecodable bytes become
// U+FFFD; never fails.
QString DecodeTextFile(const QByteArray &bytes);

// The editor's plain text (CR LF line breaks, as RichTextBox::Text() gives
// it) -> the bytes of a text file: GB18030, followed by one CR LF.  Pictures
// (U+FFFC) take no bytes; a soft line break ('\v' or U+2028) is written CR LF.
QByteArray EncodeTextFile(const QString &crlfText);

} // namespace lumora
