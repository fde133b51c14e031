#include "document/rtf_tokenizer.h"

#include <algorithm>
#include <limits>

namespace lumora {

namespace {

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsPlain(char c) { return c != '\\' && c != '{' && c != '}' && c != '\r' && c != '\n' && c != '\0'; }

} // namespace

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

void RtfTokenizer::SkipLeadingSpace()
{
    if (m_data.startsWith("\xEF\xBB\xBF"))
        m_pos = 3;
    while (m_pos < m_data.size() && (m_data[m_pos] == ' ' || m_data[m_pos] == '\t' || m_data[m_pos] == '\r'
                                     || m_data[m_pos] == '\n'))
        ++m_pos;
}

RtfToken RtfTokenizer::Next()
{
    RtfToken t;
    const qsizetype n = m_data.size();
    while (m_pos < n) {
        const char c = m_data[m_pos];
        if (c == '{') {
            ++m_pos;
            t.type = RtfTokenType::Open;
            return t;
        }
        if (c == '}') {
            ++m_pos;
            t.type = RtfTokenType::Close;
            return t;
        }
        if (c == '\\')
            return ReadBackslash();
        if (!IsPlain(c)) {   // line breaks and NULs carry no meaning in RTF
            ++m_pos;
            continue;
        }
        const qsizetype start = m_pos;
        while (m_pos < n && IsPlain(m_data[m_pos]))
            ++m_pos;
        t.type = RtfTokenType::Text;
        t.data = m_data.sliced(start, m_pos - start);
        return t;
    }
    return t;
}

RtfToken RtfTokenizer::ReadBackslash()
{
    RtfToken t;
    ++m_pos;   // the backslash
    if (m_pos >= m_data.size())
        return t;
    const char c = m_data[m_pos];
    if (IsLetter(c)) {
        ReadWord(t);
        return t;
    }
    ++m_pos;
    if (c == '\'') {
        const int hi = m_pos < m_data.size() ? HexValue(m_data[m_pos]) : -1;
        if (hi < 0) {
            t.type = RtfTokenType::Symbol;   // a lone \' stands for nothing
            t.symbol = '\'';
            return t;
        }
        ++m_pos;
        const int lo = m_pos < m_data.size() ? HexValue(m_data[m_pos]) : -1;
        t.type = RtfTokenType::Hex;
        if (lo < 0) {
            t.hex = uchar(hi);   // truncated: take the one digit there is
        } else {
            ++m_pos;
            t.hex = uchar(hi << 4 | lo);
        }
        return t;
    }
    t.type = RtfTokenType::Symbol;
    t.symbol = (c == '\r' || c == '\n') ? '\n' : c;
    return t;
}

void RtfTokenizer::ReadWord(RtfToken &t)
{
    const qsizetype n = m_data.size();
    const qsizetype start = m_pos;
    while (m_pos < n && IsLetter(m_data[m_pos]))
        ++m_pos;
    t.type = RtfTokenType::Word;
    t.name = m_data.sliced(start, std::min<qsizetype>(m_pos - start, kMaxWordLetters));
    bool negative = false;
    if (m_pos + 1 < n && m_data[m_pos] == '-' && IsDigit(m_data[m_pos + 1])) {
        negative = true;
        ++m_pos;
    }
    if (m_pos < n && IsDigit(m_data[m_pos])) {
        qint64 v = 0;
        while (m_pos < n && IsDigit(m_data[m_pos])) {
            v = std::min<qint64>(v * 10 + (m_data[m_pos] - '0'), qint64(1) << 32);
            ++m_pos;
        }
        if (negative)
            v = -v;
        t.hasParam = true;
        t.param = qint32(std::clamp<qint64>(v, std::numeric_limits<qint32>::min(),
                                            std::numeric_limits<qint32>::max()));
    }
    if (m_pos < n && m_data[m_pos] == ' ')
        ++m_pos;   // the delimiter belongs to the word
    if (t.name == "bin" && t.hasParam && t.param >= 0 && t.param <= n - m_pos) {
        t.type = RtfTokenType::Bin;
        t.data = m_data.sliced(m_pos, t.param);
        m_pos += t.param;
    }
}

bool RtfTokenizer::SkipGroup()
{
    const qsizetype n = m_data.size();
    qint64 depth = 1;
    while (m_pos < n) {
        const char c = m_data[m_pos];
        if (c == '{') {
            ++depth;
            ++m_pos;
        } else if (c == '}') {
            ++m_pos;
            if (--depth == 0)
                return true;
        } else if (c == '\\') {
            if (m_pos + 1 < n && IsLetter(m_data[m_pos + 1])) {
                ++m_pos;
                RtfToken t;
                ReadWord(t);   // steps over \bin data too
            } else {
                m_pos += 2;    // \{, \}, \\ and the like
            }
        } else {
            ++m_pos;
        }
    }
    m_pos = n;
    return false;
}

} // namespace lumora
