#pragma once

#include <QtGlobal>
#include <functional>
#include <vector>

namespace lumora {

// The vertical geometry of a document for scrolling by pixels: one height
// per paragraph, each either estimated (the paragraph has not been laid out)
// or measured (it has), and the y of every paragraph's top.
//
// A view lays out only the paragraphs it shows; the others keep an estimate,
// so the scroll bar's range is known at once and is corrected, paragraph by
// paragraph, as layouts come in.  SetMeasured answers by how much every
// later paragraph moved, so a view whose top lies below the paragraph can
// shift its scroll offset by that much and the text on screen stays put.
//
// Heights are kept four bytes each (the measured mark in the top bit) in
// blocks of at most kBlockMax paragraphs; two Fenwick trees over the blocks
// hold their paragraph counts and height sums.  A lookup costs O(log blocks)
// plus a walk inside one block; an insert or remove that does not split,
// merge or drop a block costs the same, and one that does rebuilds the
// block trees (O(blocks), once every few hundred edits at worst).  Positions
// are 64-bit: 10 million paragraphs of a 3,000 px picture overflow 32 bits.
class ParagraphHeights
{
public:
    // A pixel row's paragraph and the row's offset from that paragraph's top.
    struct Hit
    {
        int paragraph = -1;
        qint64 offset = 0;
    };
    static constexpr int kBlockMax = 1024;

    explicit ParagraphHeights(int defaultEstimate = 0);

    int Count() const { return m_count; }
    qint64 Total() const;
    int Height(int paragraph) const;
    bool IsMeasured(int paragraph) const;

    // The height new paragraphs get from Insert.
    void SetDefaultEstimate(int height) { m_defaultEstimate = qMax(0, height); }
    int DefaultEstimate() const { return m_defaultEstimate; }

    // Insert puts count paragraphs at index paragraph (0..Count()), each
    // estimated at the default (fewer if Count() would pass INT_MAX); Remove
    // drops [paragraph, paragraph + count) clipped to the paragraphs there are.
    void Insert(int paragraph, int count = 1);
    void Remove(int paragraph, int count = 1);

    // Both return the change in Top() of every later paragraph (new height
    // less old).  An estimate never replaces a measurement: SetEstimate on a
    // measured paragraph changes nothing and returns 0.
    qint64 SetMeasured(int paragraph, int height);
    qint64 SetEstimate(int paragraph, int height);
    // Every height becomes an estimate again, as when the wrap width changes
    // and every layout is void.  The function form is asked once per
    // paragraph, in order.
    void InvalidateAll(int estimate);
    void InvalidateAll(const std::function<int(int paragraph)> &estimate);

    // The y of the paragraph's top; Top(Count()) is Total().  Out of range
    // indexes are clamped.
    qint64 Top(int paragraph) const;
    // The paragraph covering pixel row y: Top(p) <= y < Top(p) + Height(p).
    // Rows above 0 are taken as 0 and rows past the end as the last one, so
    // any y finds a paragraph; paragraph -1 when there is no row at all (no
    // paragraphs, or every height 0).
    Hit ParagraphAt(qint64 y) const;

private:
    struct Where
    {
        int block = 0;
        int offset = 0;
    };
    Where Locate(int paragraph) const;
    qint64 PrefixSum(int blocks) const;
    int PrefixCount(int blocks) const;
    void AddToBlock(int block, int countDelta, qint64 sumDelta);
    qint64 Assign(int paragraph, quint32 value);
    void InsertBlocks(int at, int count);
    void EraseInBlock(int block, int from, int to);
    void MendBlock(int block);
    void Rebuild();

    struct Block
    {
        std::vector<quint32> heights;   // measured mark in the top bit
        qint64 sum = 0;
    };

    std::vector<Block> m_blocks;
    std::vector<qint64> m_sumTree;   // Fenwick tree of block height sums
    std::vector<int> m_countTree;    // Fenwick tree of block paragraph counts
    int m_count = 0;
    int m_defaultEstimate = 0;
};

} // namespace lumora
