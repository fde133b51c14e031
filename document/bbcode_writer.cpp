#include "document/bbcode_writer.h"

#include "document/document.h"
#include "document/markup_walk.h"

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

// Forum code for the runs: tags for their looks, and text that a forum
// would read as a tag broken up.  Pictures are left out.
class ForumMarkup
{
public:
    static constexpr PlainAscii kPlain{"["};
    static constexpr bool kCrLf = true;

    ForumMarkup(const Document &doc, ByteOut &out) : m_doc(doc), m_out(out)
    {
        for (int id = 0; id < doc.formats.Count(); ++id)
            m_looks.push_back(LookOf(doc.formats.At(id)));
    }

    void Enter(int format, int, int) { ChangeTo(m_looks[size_t(format)]); }
    void Leave() { ChangeTo(Look()); }
    void Picture(int) {}

    // kPlain holds back only "[".
    void Escape(qsizetype at)
    {
        m_out.Put('[');
        if (ReadsAsForumTag(m_doc.text, at))
            AppendBreaker();
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
    ForumMarkup markup(doc, out);
    MarkupWalk<ForumMarkup>(doc, out, markup).Write(0, int(doc.text.size()));
    return out.Take();
}

} // namespace lumora
