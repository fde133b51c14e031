#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <memory>

namespace lumora {

// The Windows code page behind an RTF \fcharset value; 0 when the charset
// names no code page of its own (the caller then falls back further).
int CodePageOfCharset(int charset);

// True for the code pages Decode reads as themselves.
bool CodePageKnown(int codePage);

// Decodes bytes of a Windows code page, appending to *out.  Unknown code
// pages are read as 1252.  Undecodable bytes, and a lead byte the run ends
// in, become U+FFFD.  Keeps one converter per code page, so one instance
// should serve a whole document.
class CodePageDecoder
{
public:
    CodePageDecoder();
    ~CodePageDecoder();
    CodePageDecoder(const CodePageDecoder &) = delete;
    CodePageDecoder &operator=(const CodePageDecoder &) = delete;

    void Decode(int codePage, QByteArrayView bytes, QString *out);

private:
    struct Cache;
    std::unique_ptr<Cache> m_cache;
};

// The two-byte Windows-936 (GBK) code of a character, or 0 when GBK has none
// (ASCII included: it takes one byte and is not looked up here).
quint16 GbkCodeOf(char16_t ch);

} // namespace lumora
