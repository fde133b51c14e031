#pragma once

#include "document/document.h"
#include "document/utf8_out.h"

#include <algorithm>

namespace lumora {

// The walk the HTML and forum-code writers share: over the runs of formats
// that meet [from, to) and over their characters, which go out as UTF-8
// with every line break (CR LF, CR, LF, vertical tab, U+2028, U+2029) as
// one LF, or as CR LF where the markup asks for it.  A markup says only
// what is its own:
//
//   static constexpr PlainAscii kPlain;   the ASCII it puts out as it is
//   static constexpr bool kCrLf;          line breaks as CR LF, else LF
//   void Enter(int format, int start, int end);
//       the run [start, end) of format comes next: change the open tags
//   void Leave();                          after the last run
//   void Escape(qsizetype at);             the printable ASCII at text[at]
//       that kPlain holds back, through the ByteOut
//   void Picture(int format);              a picture character (U+FFFC)
//
// Escape, Picture, Enter and Leave write through the same ByteOut as the
// walk.
template <class Markup>
class MarkupWalk
{
public:
    MarkupWalk(const Document &doc, ByteOut &out, Markup &markup) : m_doc(doc), m_out(out), m_markup(markup) {}

    void Write(int from, int to)
    {
        const auto &runs = m_doc.runs.Runs();
        for (size_t i = m_doc.runs.RunAt(from); i < runs.size() && m_doc.runs.RunStart(i) < to; ++i) {
            const int start = std::max(m_doc.runs.RunStart(i), from), end = std::min(runs[i].end, to);
            m_markup.Enter(runs[i].format, start, end);
            Text(start, end, runs[i].format);
        }
        m_markup.Leave();
    }

private:
    // Room for the characters [from, to) as UTF-8 or line breaks: a UTF-16
    // unit takes at most 3 bytes, a break 2; a pair that goes on into the
    // next run 4 for its last unit here.
    char *Room(qsizetype from, qsizetype to)
    {
        m_out.Ensure(3 * (to - from) + 1);
        return m_out.Cursor();
    }

    void Text(qsizetype from, qsizetype to, int format)
    {
        const QChar *t = m_doc.text.constData();
        const qsizetype size = m_doc.text.size();
        char *o = Room(from, to);
        for (qsizetype i = from; i < to; ++i) {
            const char16_t c = t[i].unicode();
            if (c < 0x80 && Markup::kPlain.plain[c]) {
                *o++ = char(c);
                continue;
            }
            switch (c) {
            case u'\r':
                if (Markup::kCrLf)
                    *o++ = '\r';
                if (i + 1 >= size || t[i + 1] != u'\n')
                    *o++ = '\n';
                break;
            case u'\n':
                if (Markup::kCrLf && (i == 0 || t[i - 1] != u'\r'))
                    *o++ = '\r';
                *o++ = '\n';
                break;
            case u'\v': case QChar::LineSeparator: case QChar::ParagraphSeparator:
                if (Markup::kCrLf)
                    *o++ = '\r';
                *o++ = '\n';
                break;
            case QChar::ObjectReplacementCharacter:
                m_out.SetCursor(o);
                m_markup.Picture(format);
                o = Room(i, to);
                break;
            default:
                // Printable ASCII that is not plain has a meaning in the markup.
                if (c > u' ' && c < 0x7F) {
                    m_out.SetCursor(o);
                    m_markup.Escape(i);
                    o = Room(i, to);
                } else {
                    o = PutUtf8(o, t, i, size);
                }
            }
        }
        m_out.SetCursor(o);
    }

    const Document &m_doc;
    ByteOut &m_out;
    Markup &m_markup;
};

} // namespace lumora
