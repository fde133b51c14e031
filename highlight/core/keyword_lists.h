#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace lumora {

// The four list files, in the order a pass reads them.
inline constexpr const char *kJmpListFile = "data-jmp.txt";
inline constexpr const char *kEaxListFile = "data-EAX.txt";
inline constexpr const char *kMovListFile = "data-mov.txt";
inline constexpr const char *kFindaListFile = "data-finda.txt";

// One list file as entries in file order.
using KeywordList = QStringList;

// All four lists of one pass.
struct KeywordLists
{
    KeywordList jmp;
    KeywordList eax;
    KeywordList mov;
    KeywordList finda;
};

// Bytes of a list file as text in the system's ANSI code page (GBK).  A
// byte-order mark is not treated specially: its bytes decode like any others.
// Undecodable bytes, also a lead byte cut off at the end, become U+FFFD.
QString DecodeAnsiText(const QByteArray &bytes);

// Splits at every exact CR LF; a lone CR or LF stays inside its entry.  The
// empty text is the empty list; a text ending in CR LF has an empty last entry.
KeywordList SplitKeywordText(const QString &text);

// Reads folder/fileName afresh.  A missing file is created empty first.  A
// file that can be neither created nor read (or is not a regular file) gives
// the empty list; nothing is reported, the pass simply goes on.
KeywordList LoadKeywordList(const QString &folder, const QString &fileName);

// The four lists from folder, loaded one after another in read order.
KeywordLists LoadKeywordLists(const QString &folder);

} // namespace lumora
