#pragma once

#include "document/progress.h"
#include "document/rtf_charset.h"
#include "document/rtf_content.h"
#include "document/rtf_keywords.h"
#include "document/rtf_pictures.h"
#include "document/rtf_tokenizer.h"
#include "document/symbol_fonts.h"

#include <QHash>
#include <vector>

namespace lumora {

// Reads RTF tokens into an RtfContent.  One explicit stack of group states
// (no recursion), so nesting depth costs memory only up to the cap; groups
// nested deeper share the deepest kept state.  Destinations we do not show
// are stepped over by the tokenizer's brace-counting skipper.
class RtfParser
{
public:
    static constexpr int kMaxDepth = 256;
    static constexpr int kMaxFonts = 4096;
    static constexpr int kMaxColors = 4096;
    // Font names are capped in characters, however they are spelled (bytes,
    // \'hh or \uN): no real face name comes near it.
    static constexpr int kMaxFontNameChars = 256;
    static constexpr qint64 kMaxTotalPictureBytes = qint64(1024) * 1024 * 1024;

    explicit RtfParser(QByteArrayView data) : m_tok(data) {}

    // False, with *error set, when the input is not RTF or yields nothing.
    bool Parse(QString *error);
    // Called after every few megabytes of input; false abandons the parse
    // (Parse then returns false with no reason).
    void SetProgress(Progress progress) { m_progress = std::move(progress); }
    // The document read; formats equal to the default face and size come
    // out without them (see CharFormat).
    Document TakeDocument()
    {
        Document d = m_out.Take();
        d.omitted = m_omitted;
        return d;
    }

private:
    // Omitted: a part the document does not keep (footnote, header...),
    // read only to note whether it holds anything.  Shape, ShapeName: a
    // shape's properties, a property's name.
    enum class Dest : quint8 { Body, FontTable, ColorTable, Picture, Omitted, Shape, ShapeName };
    struct CharState
    {
        int font = -1;   // RTF font number; -1: the \deff font
        int halfPoints = 24;
        int color = 0;
        bool bold = false, italic = false, underline = false, strike = false, hidden = false;
        // Associated properties of double-byte text; unset: the regular ones.
        bool assocDbch = false;   // \dbch is the last character type named
        int dbFont = -1;
        int dbHalfPoints = 0;
        qint8 dbBold = -1, dbItalic = -1;
    };
    struct Group
    {
        Dest dest = Dest::Body;
        CharState chr;
        int uc = 1;
        Align align = Align::Left;
        int format = -1;            // CurrentFormat() of chr, -1: not yet known
        int dbFormat = -1;          // the same for double-byte characters
        bool dbFontHere = false;    // this group named the double-byte font
        qint8 symbol = -1;          // SymbolOfFont() of chr.font, -1: not yet known
        quint8 omitPart = 0;        // the OmittedPart read past, with Dest::Omitted
        bool tableOwner = false;    // opened the font or colour table
        bool pictOwner = false;     // opened a \pict
        int shppictPictures = -1;   // a \shppict: pictures before it
        int shapePictures = -1;     // a \shp: pictures before it
    };
    struct FontEntry
    {
        int charset = -1;
        int codePage = 0;
        QByteArray pending;   // name bytes not yet decoded
        QString name;
        bool named = false;   // the ';' has been seen
        SymbolFont symbol = SymbolFont::None;
    };
    // The symbol font text is in; with its bytes (not only its private-use
    // characters) meant as symbol codes.
    struct SymbolUse
    {
        SymbolFont font = SymbolFont::None;
        bool bytes = false;
    };

    Group &Top() { return m_stack.back(); }
    void OpenGroup();
    void CloseGroup();
    static void StartedHere(Group &g);
    void CloseSharedGroup();
    void PopGroup();
    void EndGroup(const Group &g);
    void SkipRestOfGroup();
    bool ConsumeSkipped(RtfToken &t);

    void OnToken(const RtfToken &t);
    void OnWord(const RtfToken &t);
    bool OnBodyWord(RtfKw kw, const RtfToken &t);
    void OnFormatWord(RtfKw kw, const RtfToken &t);
    bool OnDoubleByteWord(RtfKw kw, const RtfToken &t);
    void OnTableWord(RtfKw kw, const RtfToken &t);
    void OnPictureWord(RtfKw kw, const RtfToken &t);
    bool OnOmittedPart(RtfKw kw);
    bool OnShapeWord(RtfKw kw);
    void OnSymbol(char c);
    void OnText(QByteArrayView data);
    void OnByte(uchar b);
    void OnUnicode(const RtfToken &t);
    SymbolUse CurrentSymbolFont();
    void AppendSymbolBytes(QByteArrayView data);

    void Flush();
    void EmitChar(char16_t c);
    void EmitUnicode(char16_t c);
    void EmitBreak();
    int CurrentFormat();
    static bool IsDoubleByteChar(char16_t c);
    int FormatOfChar(char16_t c);
    void AppendText(QStringView text);
    int ResolveFormat(const CharState &c);
    void FormatsChanged();
    int CodePageOfFont(int number) const;
    int NameCodePage(const FontEntry &f) const;
    static int OwnCodePage(const FontEntry &f);
    FontEntry *CurrentFontEntry();
    void DecodePendingName(FontEntry &f);
    void FinishFontName(FontEntry &f);
    void ColorText(QByteArrayView data);
    void PictureHex(QByteArrayView data);
    void StartPicture();
    void FinishPicture();

    RtfTokenizer m_tok;
    Progress m_progress;
    std::vector<Group> m_stack;
    RtfContent m_out;
    CodePageDecoder m_decoder;

    QHash<int, FontEntry> m_fonts;
    int m_fontEntry = -1;        // the font-table entry being read, -1: none
    bool m_hasFontEntry = false;
    QVector<std::optional<OleColor>> m_colors;    // none: auto
    int m_rgb[3] = {-1, -1, -1};
    int m_deff = 0;
    int m_docCodePage = 0;

    QByteArray m_bytes;          // text bytes waiting to be decoded together
    QString m_scratch;
    int m_skipUnits = 0;         // fallback units left after a \u
    bool m_star = false;
    bool m_groupStart = false;   // the last token was a '{'
    int m_sharedDepth = 0;       // groups open beyond the cap, sharing the top state
    Group m_sharedBase;          // the top state when the first of them opened
    // Format ids by character state, valid until the font or colour table
    // changes: a listing's thousands of {\cf1 ...} groups resolve a few
    // states, not one format per group.
    QHash<quint64, int> m_formatOfState;
    int m_shppictEnd = -1;       // text length right after a shown \shppict

    RtfPictureInfo m_pic;
    int m_picFormat = 0;         // the look in effect where the \pict began
    QByteArray m_picData;
    int m_nibble = -1;
    bool m_picTooBig = false;
    QByteArray m_shapeProperty;  // the name of the shape property being read

    quint8 m_omitted = 0;        // OmittedPart flags of parts that held something
    bool m_rootClosed = false;
    RtfContent::Mark m_mark;
};

} // namespace lumora
