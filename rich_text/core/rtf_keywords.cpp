#include "rtf_keywords.h"

#include <string_view>
#include <unordered_map>

namespace lumora {

namespace {

using Table = std::unordered_map<std::string_view, RtfKw>;

void AddSkipped(Table &t)
{
    // Groups whose text is not part of the body: document information,
    // styles, headers and footers, field instructions, object data, shape
    // internals, and the tables of newer writers.
    static const char *const skipped[] = {
        "info", "stylesheet", "header", "headerl", "headerr", "headerf", "footer", "footerl",
        "footerr", "footerf", "footnote", "annotation", "fldinst", "objdata", "objclass",
        "objname", "objalias", "objtime", "objsect", "objitem", "objtopic", "shpinst", "sp",
        "sn", "sv", "do", "ftnsep", "ftnsepc", "ftncn", "aftnsep", "aftnsepc", "aftncn",
        "generator", "listtable", "listoverridetable", "rsidtbl", "revtbl", "themedata",
        "colorschememapping", "latentstyles", "datastore", "xmlnstbl", "pgdsctbl", "filetbl",
        "userprops", "template", "xe", "tc", "txe", "rxe", "bkmkstart", "bkmkend", "pn",
        "pnseclvl", "atnid", "atnauthor", "atndate", "atnref", "atrfstart", "atrfend",
        "mmathPr", "defchp", "defpap", "fchars", "lchars", "pgptbl", "protusertbl",
        "wgrffmtfilter", "xmlopen", "xmlclose", "panose", "falt", "fname", "blipuid", "picprop",
        "expandedcolortbl", "listtables", "nesttableprops", "background", "nextfile",
        "keycode", "private", "passwordhash", "docvar", "ud",
    };
    for (const char *s : skipped)
        t.emplace(s, RtfKw::SkipDest);
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
            {"cf", RtfKw::Cf}, {"par", RtfKw::Par}, {"pard", RtfKw::Pard}, {"line", RtfKw::Line},
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
            {"wmetafile", RtfKw::Wmetafile}, {"emfblip", RtfKw::OtherPict},
            {"macpict", RtfKw::OtherPict}, {"pmmetafile", RtfKw::OtherPict},
            {"picw", RtfKw::Picw}, {"pich", RtfKw::Pich}, {"picwgoal", RtfKw::Picwgoal},
            {"pichgoal", RtfKw::Pichgoal}, {"picscalex", RtfKw::Picscalex},
            {"picscaley", RtfKw::Picscaley}, {"wbmbitspixel", RtfKw::Wbmbitspixel},
            {"wbmplanes", RtfKw::Wbmplanes}, {"wbmwidthbytes", RtfKw::Wbmwidthbytes},
        };
        for (const auto &w : words)
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
    const Table &t = Keywords();
    auto it = t.find(std::string_view(name.data(), size_t(name.size())));
    return it == t.end() ? RtfKw::None : it->second;
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
