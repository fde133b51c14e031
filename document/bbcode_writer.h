#pragma once

#include <QByteArray>
#include <QStringView>

namespace lumora {

struct Document;

// The whole document as forum code, UTF-8 text for pasting into a post:
// [color=#RRGGBB] outermost, then [b], [i], [u], [s], each closed before
// the tags opened outside it.  Neighbouring runs that look alike in forum
// code (faces and sizes are not written) are one stretch, and a style
// change inside one colour does not close and reopen that colour.
//
// Text that a forum would read as a tag ("[b]", "[/color]", "[url=...]",
// also "[EAX]", since forums differ in the tags they know) gets an empty
// tag pair right behind its "[", so that it shows as typed.  Line breaks
// are CR LF; pictures, which forum code cannot carry inline, are left out.
QByteArray WriteBbcode(const Document &doc);

// Whether the "[" at text[at] starts something a forum may read as a tag:
// an optional "/", a name of ASCII letters, digits and "*" that starts with
// a letter or "*", then "]" or "=".  Pictures (U+FFFC) between them do not
// count, since forum code leaves them out.
bool ReadsAsForumTag(QStringView text, qsizetype at);

} // namespace lumora
