#pragma once

#include "rtf_charset.h"
#include "rtf_content.h"
#include "rtf_keywords.h"
#include "rtf_pictures.h"
#include "rtf_tokenizer.h"

#include <QHash>
#include <functional>
#include <vector>

namespace lumora {

// Reads RTF tokens into an RtfContent.  One explicit stack of group states
// (no recursion), so nesting depth costs memory only up to the cap; groups
// nested deeper, and destinations we do not show, are stepped over by the
// tokenizer's brace-counting skipper.
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
    void SetYield(std::function<bool()> yield) { m_yield = std::move(yield); }
    // The document read; formats equal to the default face and size come
    // out without them (see CharFormat).
    Document TakeDocument() { return m_out.Take(); }

private:
    enum class Dest : quint8 { Body, FontTable, ColorTable, Picture,
                              Shape, ShapeName };   // a shape's properties, a property's name
    struct CharState
    {
        int font = -1;   // RTF font number; -1: the \deff font
        int halfPoints = 24;
        int color = 0;
        bool bold = false, italic = false, underline = false, strike = false, hidden = false;
    };
    struct Group
    {
        Dest dest = Dest::Body;
        CharState chr;
        int uc = 1;
        Align align = Align::Left;
        int format = -1;            // CurrentFormat() of chr, -1: not yet known
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
    };

    Group &Top() { return m_stack.back(); }
    void OpenGroup();
    void CloseGroup();
    void PopGroup();
    void EndGroup(const Group &g);
    void SkipRestOfGroup();
    bool ConsumeSkipped(RtfToken &t);

    void OnToken(const RtfToken &t);
    void OnWord(const RtfToken &t);
    bool OnBodyWord(RtfKw kw, const RtfToken &t);
    void OnFormatWord(RtfKw kw, const RtfToken &t);
    void OnTableWord(RtfKw kw, const RtfToken &t);
    void OnPictureWord(RtfKw kw, const RtfToken &t);
    bool OnShapeWord(RtfKw kw);
    void OnSymbol(char c);
    void OnText(QByteArrayView data);
    void OnByte(uchar b);
    void OnUnicode(const RtfToken &t);

    void Flush();
    void EmitChar(char16_t c);
    void EmitUnicode(char16_t c);
    void EmitBreak();
    int CurrentFormat();
    int ResolveFormat(const CharState &c);
    void FormatsChanged();
    int CodePageOfFont(int number) const;
    int NameCodePage(const FontEntry &f) const;
    FontEntry *CurrentFontEntry();
    void DecodePendingName(FontEntry &f);
    void FinishFontName(FontEntry &f);
    void ColorText(QByteArrayView data);
    void PictureHex(QByteArrayView data);
    void StartPicture();
    void FinishPicture();

    RtfTokenizer m_tok;
    std::function<bool()> m_yield;
    std::vector<Group> m_stack;
    RtfContent m_out;
    CodePageDecoder m_decoder;

    QHash<int, FontEntry> m_fonts;
    int m_fontEntry = -1;        // the font-table entry being read, -1: none
    bool m_hasFontEntry = false;
    QVector<qint64> m_colors;    // 0x00BBGGRR, -1 for auto
    int m_rgb[3] = {-1, -1, -1};
    int m_deff = 0;
    int m_docCodePage = 0;

    QByteArray m_bytes;          // text bytes waiting to be decoded together
    QString m_scratch;
    int m_skipUnits = 0;         // fallback units left after a \u
    bool m_star = false;
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

    bool m_rootClosed = false;
    RtfContent::Mark m_mark;
};

} // namespace lumora
