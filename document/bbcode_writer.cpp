#include "document/bbcode_writer.h"

#include "document/document.h"
#include "document/utf8_out.h"

#include <array>
#include <vector>

namespace lumora {

namespace {

// The styles forum code knows, in nesting order inside the colour.
const char *const kStyleTags[] = {"b", "i", "u", "s"};
constexpr int kStyleCount = 4;

// How a run looks in forum code.
struct Look
{
    std::optional<OleColor> color;
    quint8 styles = 0;   // bit n: kStyleTags[n]
    friend bool operator==(const Look &a, const Look &b) { return a.color == b.color && a.styles == b.styles; }
};

Look LookOf(const CharFormat &f)
{
    return {f.color, quint8((f.bold ? 1 : 0) | (f.italic ? 2 : 0) | (f.underline ? 4 : 0) | (f.strike ? 8 : 0))};
}

constexpr PlainAscii kPlainAscii("[");

// A look as the tags that hold it open, outermost first: -1 the colour,
// 0..3 a style.
struct TagStack
{
    std::array<int, 1 + kStyleCount> tags{};
    int count = 0;
    explicit TagStack(const Look &look)
    {
        if (look.color)
            tags[size_t(count++)] = -1;
        for (int s = 0; s < kStyleCount; ++s)
            if (look.styles & (1 << s))
                tags[size_t(count++)] = s;
    }
};

void AppendColorTag(ByteOut &out, OleColor color)
{
    static const char hex[] = "0123456789ABCDEF";
    char tag[] = "[color=#RRGGBB]";
    char *digit = tag + 8;
    for (const int shift : {0, 8, 16}) {   // 0x00BBGGRR: red first
        const quint32 byte = (quint32(color) >> shift) & 0xFF;
        *digit++ = hex[byte >> 4];
        *digit++ = hex[byte & 15];
    }
    out.Put(tag);
}

void AppendStyleTag(ByteOut &out, int style, bool closing)
{
    const char tag[] = {'[', '/', kStyleTags[style][0], ']'};
    if (closing)
        out.Put(tag, 4);
    else {
        out.Put('[');
        out.Put(tag + 2, 2);
    }
}

class BbcodeWriter
{
public:
    BbcodeWriter(const Document &doc, ByteOut &out) : m_doc(doc), m_out(out)
    {
        for (int id = 0; id < doc.formats.Count(); ++id)
            m_looks.push_back(LookOf(doc.formats.At(id)));
    }

    void Write()
    {
        const auto &runs = m_doc.runs.Runs();
        for (size_t i = 0; i < runs.size(); ++i) {
            ChangeTo(m_looks[size_t(runs[i].format)]);
            Text(m_doc.runs.RunStart(i), runs[i].end);
        }
        ChangeTo(Look());
    }

private:
    // Closes what the new look does not share with the open one, from the
    // inside out, and opens the rest: a colour that stays stays open.
    void ChangeTo(const Look &look)
    {
        if (look == m_open)
            return;
        const TagStack from(m_open), to(look);
        int keep = 0;
        while (keep < from.count && keep < to.count && from.tags[size_t(keep)] == to.tags[size_t(keep)]
               && (from.tags[size_t(keep)] >= 0 || m_open.color == look.color))
            ++keep;
        for (int i = from.count - 1; i >= keep; --i) {
            const int tag = from.tags[size_t(i)];
            if (tag < 0)
                m_out.Put("[/color]");
            else
                AppendStyleTag(m_out, tag, true);
        }
        for (int i = keep; i < to.count; ++i) {
            const int tag = to.tags[size_t(i)];
            if (tag < 0)
                AppendColorTag(m_out, *look.color);
            else
                AppendStyleTag(m_out, tag, false);
        }
        m_open = look;
    }

    // An empty pair of a style that is not open, so that no reader that
    // pairs tags by searching closes an open one early.
    void AppendBreaker()
    {
        int s = 0;
        while (s < kStyleCount - 1 && (m_open.styles & (1 << s)))
            ++s;
        AppendStyleTag(m_out, s, false);
        AppendStyleTag(m_out, s, true);
    }

    void Text(qsizetype from, qsizetype to)
    {
        const QChar *t = m_doc.text.constData();
        const qsizetype size = m_doc.text.size();
        // A UTF-16 unit takes at most 3 bytes, a break 2; a pair that goes on
        // into the next run 4 for its last unit here.
        m_out.Ensure(3 * (to - from) + 1);
        char *o = m_out.Cursor();
        for (qsizetype i = from; i < to; ++i) {
            const char16_t c = t[i].unicode();
            if (c < 0x80 && kPlainAscii.plain[c]) {
                *o++ = char(c);
                continue;
            }
            switch (c) {
            case u'[':
                *o++ = '[';
                if (ReadsAsForumTag(m_doc.text, i)) {
                    m_out.SetCursor(o);
                    AppendBreaker();
                    m_out.Ensure(3 * (to - i) + 1);
                    o = m_out.Cursor();
                }
                break;
            case u'\r':
                *o++ = '\r';
                if (i + 1 >= size || t[i + 1] != u'\n')
                    *o++ = '\n';
                break;
            case u'\n':
                if (i == 0 || t[i - 1] != u'\r')
                    *o++ = '\r';
                *o++ = '\n';
                break;
            case u'\v': case QChar::LineSeparator: case QChar::ParagraphSeparator:
                *o++ = '\r';
                *o++ = '\n';
                break;
            case QChar::ObjectReplacementCharacter:
                break;
            default:
                o = PutUtf8(o, t, i, size);
            }
        }
        m_out.SetCursor(o);
    }

    const Document &m_doc;
    ByteOut &m_out;
    std::vector<Look> m_looks;   // by format id
    Look m_open;
};

bool IsAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

} // namespace

bool ReadsAsForumTag(QStringView text, qsizetype at)
{
    // Pictures are left out of forum code, so the characters around one
    // meet there.
    qsizetype i = at + 1;
    const auto next = [&] {
        while (i < text.size() && text[i] == QChar::ObjectReplacementCharacter)
            ++i;
        return i < text.size() ? text[i] : QChar();
    };
    if (next() == u'/')
        ++i;
    if (!(IsAsciiLetter(next()) || next() == u'*'))
        return false;
    for (++i; IsAsciiLetter(next()) || (next() >= u'0' && next() <= u'9') || next() == u'*';)
        ++i;
    return next() == u']' || next() == u'=';
}

QByteArray WriteBbcode(const Document &doc)
{
    // Enough for a coloured listing's text and tags at once.
    ByteOut out(doc.text.size() + qsizetype(doc.runs.Runs().size()) * 24 + 64);
    BbcodeWriter(doc, out).Write();
    return out.Take();
}

} // namespace lumora
