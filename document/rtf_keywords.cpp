#include "document/rtf_keywords.h"

#include <cstring>

namespace lumora {

namespace {

// Every control word of a document is looked up, millions in a large
// listing: an open-addressed table with a cheap hash over the few letters
// of a word, built once.
class Table
{
public:
    void Emplace(const char *name, RtfKw kw) { Put(name, kw, false); }
    RtfKw &operator[](const char *name) { return Put(name, RtfKw::None, true)->kw; }

    RtfKw Find(const char *name, size_t len) const
    {
        for (size_t i = Hash(name, len);; i = (i + 1) & kMask) {
            const Slot &s = m_slots[i];
            if (!s.len)
                return RtfKw::None;
            if (s.len == len && std::memcmp(s.name, name, len) == 0)
                return s.kw;
        }
    }

private:
    static constexpr size_t kSize = 1024;   // over twice the words
    static constexpr size_t kMask = kSize - 1;
    struct Slot
    {
        const char *name = nullptr;
        size_t len = 0;
        RtfKw kw = RtfKw::None;
    };

    static size_t Hash(const char *name, size_t len)
    {
        size_t h = len;
        for (size_t i = 0; i < len; ++i)
            h = h * 31 + uchar(name[i]);
        return (h ^ (h >> 7)) & kMask;
    }

    Slot *Put(const char *name, RtfKw kw, bool overwrite)
    {
        const size_t len = std::strlen(name);
        for (size_t i = Hash(name, len);; i = (i + 1) & kMask) {
            Slot &s = m_slots[i];
            if (!s.len) {
                s = Slot{name, len, kw};
                return &s;
            }
            if (s.len == len && std::memcmp(s.name, name, len) == 0) {
                if (overwrite)
                    s.kw = kw;
                return &s;
            }
        }
    }

    Slot m_slots[kSize];
};

void AddSkipped(Table &t)
{
    // Groups whose text is not part of the body: document information,
    // styles, headers and footers, field instructions, object data, shape
    // internals, and the tables of newer writers.
    static const char *const skipped[] = {
        "info", "stylesheet", "fldinst", "objdata", "objclass",
        "objname", "objalias", "objtime", "objsect", "objitem", "objtopic", "shpinst", "sp",
        "sn", "sv", "do", "ftnsep", "ftnsepc", "ftncn", "aftnsep", "aftnsepc", "aftncn",
        "generator", "listtable", "listoverridetable", "rsidtbl", "revtbl", "themedata",
        "colorschememapping", "latentstyles", "datastore", "xmlnstbl", "pgdsctbl", "filetbl",
        "userprops", "template", "xe", "tc", "txe", "rxe", "bkmkstart", "bkmkend", "pn",
        "pnseclvl", "atndate", "atnref", "atrfstart", "atrfend",
        "mmathPr", "defchp", "defpap", "fchars", "lchars", "pgptbl", "protusertbl",
        "wgrffmtfilter", "xmlopen", "xmlclose", "panose", "falt", "fname", "blipuid", "picprop",
        "expandedcolortbl", "listtables", "nesttableprops", "background", "nextfile",
        "keycode", "private", "passwordhash", "docvar", "ud",
        // The text rendering of nested tables, for readers that cannot
        // show them; we read the tables themselves.
        "nonesttables",
        // A list definition belongs in the list table; met in the body (a
        // damaged file) its level texts and names are not text either.
        "list", "listlevel", "leveltext", "levelnumbers", "listname", "listoverride",
        "listpicture",
    };
    for (const char *s : skipped)
        t.Emplace(s, RtfKw::SkipDest);
}

const Table &Keywords()
{
    static const Table table = [] {
        Table t;
        AddSkipped(t);
        const std::pair<const char *, RtfKw> words[] = {
            {"rtf", RtfKw::Rtf}, {"ansicpg", RtfKw::Ansicpg}, {"mac", RtfKw::Mac}, {"pc", RtfKw::Pc},
            {"pca", RtfKw::Pca}, {"deff", RtfKw::Deff}, {"uc", RtfKw::Uc}, {"u", RtfKw::U},
            {"fonttbl", RtfKw::Fonttbl}, {"colortbl", RtfKw::Colortbl}, {"pict", RtfKw::Pict},
            {"shppict", RtfKw::Shppict}, {"nonshppict", RtfKw::Nonshppict},
            {"fcharset", RtfKw::Fcharset}, {"cpg", RtfKw::Cpg}, {"red", RtfKw::Red},
            {"green", RtfKw::Green}, {"blue", RtfKw::Blue}, {"plain", RtfKw::Plain}, {"b", RtfKw::B},
            {"i", RtfKw::I}, {"ulnone", RtfKw::Ulnone}, {"strike", RtfKw::Strike},
            {"striked", RtfKw::Strike}, {"v", RtfKw::V}, {"f", RtfKw::F}, {"fs", RtfKw::Fs},
            {"cf", RtfKw::Cf}, {"af", RtfKw::Af}, {"afs", RtfKw::Afs}, {"ab", RtfKw::Ab},
            {"ai", RtfKw::Ai}, {"loch", RtfKw::Loch}, {"hich", RtfKw::Hich}, {"dbch", RtfKw::Dbch},
            {"rtlch", RtfKw::Rtlch}, {"ltrch", RtfKw::Ltrch}, {"par", RtfKw::Par}, {"pard", RtfKw::Pard}, {"line", RtfKw::Line},
            {"cell", RtfKw::Cell}, {"nestcell", RtfKw::Cell}, {"row", RtfKw::Row},
            {"nestrow", RtfKw::Row}, {"sect", RtfKw::Sect}, {"page", RtfKw::Sect},
            {"ql", RtfKw::Ql}, {"qc", RtfKw::Qc}, {"qr", RtfKw::Qr}, {"qj", RtfKw::Qj},
            {"tab", RtfKw::Tab}, {"emdash", RtfKw::Emdash}, {"endash", RtfKw::Endash},
            {"bullet", RtfKw::Bullet}, {"lquote", RtfKw::Lquote}, {"rquote", RtfKw::Rquote},
            {"ldblquote", RtfKw::Ldblquote}, {"rdblquote", RtfKw::Rdblquote},
            {"emspace", RtfKw::Emspace}, {"enspace", RtfKw::Enspace}, {"qmspace", RtfKw::Qmspace},
            {"zwj", RtfKw::Zwj}, {"zwnj", RtfKw::Zwnj}, {"ltrmark", RtfKw::Ltrmark},
            {"rtlmark", RtfKw::Rtlmark}, {"pngblip", RtfKw::Pngblip}, {"jpegblip", RtfKw::Jpegblip},
            {"dibitmap", RtfKw::Dibitmap}, {"wbitmap", RtfKw::Wbitmap},
            {"wmetafile", RtfKw::Wmetafile}, {"emfblip", RtfKw::Emfblip},
            {"macpict", RtfKw::Macpict}, {"pmmetafile", RtfKw::Pmmetafile},
            // Shapes: their property groups are skipped like other
            // destinations, except within a shape's instructions.
            {"shp", RtfKw::Shp}, {"shpgrp", RtfKw::Shp}, {"shpinst", RtfKw::Shpinst},
            {"shprslt", RtfKw::Shprslt}, {"sp", RtfKw::Sp}, {"sn", RtfKw::Sn}, {"sv", RtfKw::Sv},
            {"picw", RtfKw::Picw}, {"pich", RtfKw::Pich}, {"picwgoal", RtfKw::Picwgoal},
            {"pichgoal", RtfKw::Pichgoal}, {"picscalex", RtfKw::Picscalex},
            {"picscaley", RtfKw::Picscaley}, {"wbmbitspixel", RtfKw::Wbmbitspixel},
            {"wbmplanes", RtfKw::Wbmplanes}, {"wbmwidthbytes", RtfKw::Wbmwidthbytes},
        };
        for (const auto &w : words)
            t[w.first] = w.second;
        // Footnotes (endnotes too), headers, footers and comments, with the
        // comment's author marks, which stand in the body.
        const std::pair<const char *, RtfKw> notes[] = {
            {"footnote", RtfKw::Footnote}, {"header", RtfKw::Header}, {"headerl", RtfKw::Header},
            {"headerr", RtfKw::Header}, {"headerf", RtfKw::Header}, {"footer", RtfKw::Footer},
            {"footerl", RtfKw::Footer}, {"footerr", RtfKw::Footer}, {"footerf", RtfKw::Footer},
            {"annotation", RtfKw::Annotation}, {"atnid", RtfKw::Annotation},
            {"atnauthor", RtfKw::Annotation},
        };
        for (const auto &w : notes)
            t[w.first] = w.second;
        static const char *const underlines[] = {
            "ul", "uld", "uldash", "uldashd", "uldashdd", "uldb", "ulhwave", "ulldash", "ulth",
            "ulthd", "ulthdash", "ulthdashd", "ulthdashdd", "ulthldash", "ululdbwave", "ulw",
            "ulwave"};
        for (const char *u : underlines)
            t[u] = RtfKw::Ul;
        return t;
    }();
    return table;
}

} // namespace

RtfKw LookupRtfKeyword(QByteArrayView name)
{
    return name.isEmpty() ? RtfKw::None : Keywords().Find(name.data(), size_t(name.size()));
}

char16_t RtfKeywordChar(RtfKw kw)
{
    switch (kw) {
    case RtfKw::Tab: return u'\t';
    case RtfKw::Emdash: return 0x2014;
    case RtfKw::Endash: return 0x2013;
    case RtfKw::Bullet: return 0x2022;
    case RtfKw::Lquote: return 0x2018;
    case RtfKw::Rquote: return 0x2019;
    case RtfKw::Ldblquote: return 0x201C;
    case RtfKw::Rdblquote: return 0x201D;
    case RtfKw::Emspace: return 0x2003;
    case RtfKw::Enspace: return 0x2002;
    case RtfKw::Qmspace: return 0x2005;
    case RtfKw::Zwj: return 0x200D;
    case RtfKw::Zwnj: return 0x200C;
    case RtfKw::Ltrmark: return 0x200E;
    case RtfKw::Rtlmark: return 0x200F;
    default: return 0;
    }
}

} // namespace lumora
