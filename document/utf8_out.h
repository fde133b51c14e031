#pragma once

#include <QByteArray>
#include <QChar>
#include <algorithm>
#include <cstring>

namespace lumora {

// A growing byte buffer written through a pointer: the writers put out
// millions of small pieces, which QByteArray's own appends make costly.
class ByteOut
{
public:
    explicit ByteOut(qsizetype sizeHint = 0) { Ensure(sizeHint); }

    // Room for `more` bytes behind the end; what Cursor() returns stays
    // good until the next Ensure.
    void Ensure(qsizetype more)
    {
        if (m_len + more > m_buf.size()) {
            m_buf.resize(std::max(m_len + more, m_buf.size() + m_buf.size() / 2 + 64));
            m_data = m_buf.data();
        }
    }
    char *Cursor() { return m_data + m_len; }
    void SetCursor(char *at) { m_len = at - m_data; }

    void Put(char c)
    {
        Ensure(1);
        m_data[m_len++] = c;
    }
    template <qsizetype N>
    void Put(const char (&literal)[N])
    {
        Put(literal, N - 1);
    }
    void Put(const char *bytes, qsizetype n)
    {
        Ensure(n);
        std::memcpy(m_data + m_len, bytes, size_t(n));
        m_len += n;
    }
    void Put(const QByteArray &bytes) { Put(bytes.constData(), bytes.size()); }
    void PutString(const char *s) { Put(s, qsizetype(std::strlen(s))); }

    // What was put since the last Clear, kept until the next Put.
    QByteArrayView Pending() const { return QByteArrayView(m_data, m_len); }
    void Clear() { m_len = 0; }

    QByteArray Take()
    {
        m_buf.truncate(m_len);
        m_data = nullptr;
        m_len = 0;
        return std::move(m_buf);
    }

private:
    QByteArray m_buf;
    char *m_data = nullptr;
    qsizetype m_len = 0;
};

// Which characters of printable ASCII (and tab) a writer puts out as they
// are: all but the ones its format gives a meaning.
struct PlainAscii
{
    bool plain[128] = {};
    constexpr explicit PlainAscii(const char *special)
    {
        for (int c = 0x20; c < 0x7F; ++c)
            plain[c] = true;
        plain[int('\t')] = true;
        for (; *special; ++special)
            plain[int(*special)] = false;
    }
};

// Writes the character at text[i] (i < size, the text's length) as UTF-8
// at o, at most 4 bytes, and returns the position behind it.  A surrogate
// pair takes text[i + 1] too and advances i, also where the pair straddles
// two runs of formats; the low half is then passed over where the next run
// begins.  A lone surrogate, which no UTF-8 can carry, becomes U+FFFD, as
// reading the document back would give anyway.
inline char *PutUtf8(char *o, const QChar *text, qsizetype &i, qsizetype size)
{
    char32_t c = text[i].unicode();
    if (QChar::isLowSurrogate(c) && i > 0 && text[i - 1].isHighSurrogate())
        return o;   // written with its high half
    if (QChar::isHighSurrogate(c) && i + 1 < size && text[i + 1].isLowSurrogate())
        c = QChar::surrogateToUcs4(char16_t(c), text[++i].unicode());
    else if (QChar::isSurrogate(c))
        c = QChar::ReplacementCharacter;
    if (c < 0x80) {
        *o++ = char(c);
    } else if (c < 0x800) {
        *o++ = char(0xC0 | (c >> 6));
        *o++ = char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *o++ = char(0xE0 | (c >> 12));
        *o++ = char(0x80 | ((c >> 6) & 0x3F));
        *o++ = char(0x80 | (c & 0x3F));
    } else {
        *o++ = char(0xF0 | (c >> 18));
        *o++ = char(0x80 | ((c >> 12) & 0x3F));
        *o++ = char(0x80 | ((c >> 6) & 0x3F));
        *o++ = char(0x80 | (c & 0x3F));
    }
    return o;
}

// Paragraph and soft line breaks as the writers of plain forms see them.
inline bool IsLineBreak(QChar c)
{
    return c == u'\r' || c == u'\n' || c == u'\v' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
}

} // namespace lumora
