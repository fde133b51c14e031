#pragma once

// The inside of ViewLayout, shared by its source files only.

#include "rich_text/view_layout.h"

#include <QHash>
#include <QTextCharFormat>
#include <map>
#include <vector>

namespace lumora {

// Paragraphs longer than this are laid out in pieces of this many
// characters, so a line of any length costs what is shown of it.
constexpr int kPieceChars = 4096;
// How many laid-out pieces stay cached; the least recently used go first.
constexpr int kCachedBlocks = 3000;
// What stands in the layout for a picture: a character that allows a
// break on either side, drawn transparent and widened to the picture's
// width by letter spacing (U+FFFC would be taken for an inline object that
// a layout without a document cannot size).
constexpr char16_t kPicturePlaceholder = 0x4E00;

// One laid-out piece of a paragraph.  Lines are stacked from the piece's
// top; a line holding a picture is as tall as the picture needs, with the
// picture standing on the line's baseline.
struct ViewBlock
{
    QTextLayout layout;
    std::vector<int> tops;                     // line tops, then the piece's height
    std::vector<std::pair<int, int>> pictures; // layout index, picture number
    int from = 0;                              // the piece's start in its paragraph
    int to = 0;
    int preeditAt = -1;                        // layout index of the pre-edit text
    int preeditLength = 0;
    quint64 used = 0;

    int Height() const { return tops.back(); }
    int LineAt(int y) const;                   // the line covering y (clamped)
    // Offsets in the piece <-> layout indexes (the pre-edit text sits
    // between); an index inside the pre-edit text is its start.
    int ToLayout(int offset) const;
    int FromLayout(int index) const;
};

struct ViewPiece
{
    int height = 0;
    qreal width = 0;
    bool measured = false;   // laid out at least once (the height may be from older text)
    std::unique_ptr<ViewBlock> block;
};

// The pieces of a paragraph that has been laid out (one piece when short).
struct ViewParagraph
{
    std::vector<ViewPiece> pieces;
};

// Where a position is shown: its paragraph, piece, and the piece's place
// in the paragraph (dx when pieces lie side by side, dy when stacked).
struct ViewSpot
{
    int paragraph = 0;
    int piece = 0;
    int offset = 0;   // in the paragraph
    qreal dx = 0;
    int dy = 0;
    ViewBlock *block = nullptr;
};

struct ViewLayout::Impl
{
    const EditBuffer &buffer;
    ParagraphHeights heights;
    std::map<int, ViewParagraph> paragraphs;
    QVector<QTextCharFormat> qtFormats;
    QHash<QString, QString> faces;
    QFont font;
    int wrap = 0;      // wrap width; 0: no wrapping
    int lineHeight = 16;
    qreal charWidth = 7;
    int caretWidth = 1;
    qreal widest = 0;
    quint64 clock = 0;
    int blocks = 0;
    int preeditPos = -1;
    int preeditCursor = -1;
    QString preeditText;
    QList<QTextLayout::FormatRange> preeditFormats;

    explicit Impl(const EditBuffer &b) : buffer(b) {}
    struct Settle;

    // view_layout.cpp
    int ParagraphLength(int paragraph) const;
    int PieceCount(int length) const;
    int PieceStart(int paragraph, int piece) const;
    int PieceOf(int paragraph, int offset, int length) const;
    int EstimateHeight(int length, int softBreaks) const;
    void EstimateAll();
    void EstimateRange(int first, int count, int fresh);
    ViewParagraph &Paragraph(int paragraph);
    void Measure(int paragraph);
    void Trim();
    void DropBlocks(int paragraph, int fromOffset);
    void Shift(int from, int delta);

    // view_layout_blocks.cpp
    QTextCharFormat QtFormat(int id);
    std::unique_ptr<ViewBlock> Build(int paragraph, int from, int to);
    void StackLines(ViewBlock &b);
    QRectF PictureRect(const ViewBlock &b, int index, int picture) const;
    ViewBlock &Block(int paragraph, int piece);
    ViewSpot Spot(int pos);
    ViewSpot SpotAt(int paragraph, qreal x, int y);
    qreal PieceX(const ViewParagraph &para, int piece) const;
    int PieceY(const ViewParagraph &para, int piece) const;
};

} // namespace lumora
