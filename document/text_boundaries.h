#pragma once

namespace lumora {

class TextStore;

// Where the caret goes by characters and by words, and which word a point
// is in, for text of any length: each looks only at a window of the
// paragraph around the position (a word longer than the window ends where
// the window does), so a line of millions of characters costs no more than
// a short one.
//
// Characters are grapheme clusters (a surrogate pair, a letter with its
// combining marks, a paragraph break's CR LF are one step); words are those
// QTextBoundaryFinder finds.  Moving by words skips the white space after a
// word, as Qt's editors do; at the edge of a paragraph a step goes over its
// break.
namespace boundaries {

int NextCharacter(const TextStore &store, int pos);
int PreviousCharacter(const TextStore &store, int pos);
int NextWord(const TextStore &store, int pos);
int PreviousWord(const TextStore &store, int pos);

struct Range
{
    int from = 0;
    int to = 0;
};
// The word (or run of spaces or punctuation) holding pos; at the end of a
// paragraph, the one before it.  Empty in an empty paragraph.
Range WordAt(const TextStore &store, int pos);
// The paragraph holding pos, with its break when it has one.
Range ParagraphAt(const TextStore &store, int pos);

} // namespace boundaries
} // namespace lumora
