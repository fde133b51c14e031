#pragma once

#include <QString>
#include <QStringView>

namespace lumora {

// The longest line the editing area lays out.  Qt lays a line out in time
// that grows faster than its length (2^18 characters take half a second, 2^20
// over three, 2^22 half a minute, and past 2^27 it crashes); longer lines are
// refused with a message.
inline constexpr int kMaxLineChars = 1 << 18;

// The most lines the editing area opens.  Qt keeps about a hundred bytes for
// every paragraph and fills a million of them in about four seconds; past
// 2^23 lines a document takes gigabytes and minutes, and is refused with a
// message (lumora-batch converts it without a display).
inline constexpr int kMaxLines = 1 << 23;

// The length of the longest line of a text (CR LF, LF or CR end a line).
int LongestLine(QStringView text);
// The message for a line longer than kMaxLineChars.
QString LineTooLongMessage(qint64 length);
// Whether the editing area can show a whole document's text; if not, *why
// says why in Chinese.
bool CanShowText(QStringView crlfText, QString *why);

// Line breaks of any kind (CR LF, LF, CR) become LF, in one pass.
QString NormalizeLineBreaks(const QString &text);

} // namespace lumora
