#pragma once

#include <QByteArrayView>
#include <QtGlobal>

namespace lumora {

// The value of a hexadecimal digit of either case, or -1.
int HexValue(char c);

enum class RtfTokenType { End, Open, Close, Word, Symbol, Hex, Text, Bin };

struct RtfToken
{
    RtfTokenType type = RtfTokenType::End;
    QByteArrayView name;      // Word: the letters (at most kMaxWordLetters)
    bool hasParam = false;    // Word
    qint32 param = 0;         // Word: saturated to 32 bits
    char symbol = 0;          // Symbol: the character after the backslash;
                              // a backslash before a line break gives '\n'
    uchar hex = 0;            // Hex: the byte of \'hh
    QByteArrayView data;      // Text: plain bytes (no CR, LF or NUL); Bin: raw bytes
};

// Splits RTF bytes into tokens.  Pure byte work: no decoding, no state
// beyond the read position, so that damaged input can only ever produce
// more tokens, never a loop or an allocation.
class RtfTokenizer
{
public:
    static constexpr int kMaxWordLetters = 32;

    explicit RtfTokenizer(QByteArrayView data) : m_data(data) {}

    RtfToken Next();

    // Skips the rest of a group whose '{' has been read, counting braces and
    // stepping over \bin data and escaped braces.  Returns false when the
    // input ends first.
    bool SkipGroup();

    // Skips white space and a UTF-8 byte-order mark.
    void SkipLeadingSpace();

    qsizetype Pos() const { return m_pos; }
    qsizetype Size() const { return m_data.size(); }

private:
    RtfToken ReadBackslash();
    void ReadWord(RtfToken &t);

    QByteArrayView m_data;
    qsizetype m_pos = 0;
};

} // namespace lumora
