#include "document/paragraph_heights.h"

#include <algorithm>
#include <iterator>
#include <limits>

namespace lumora {

namespace {

constexpr quint32 kMeasured = 0x80000000u;
constexpr quint32 kHeightMask = 0x7fffffffu;
// New blocks are cut to about this many paragraphs, so that a block can take
// as many inserts again before it splits, and as many removes before it is
// small enough to merge.
constexpr int kBlockCut = ParagraphHeights::kBlockMax / 2;
constexpr int kBlockSmall = ParagraphHeights::kBlockMax / 4;

quint32 Clean(int height) { return quint32(qMax(0, height)); }

qint64 SumOf(const std::vector<quint32> &heights)
{
    qint64 sum = 0;
    for (quint32 h : heights)
        sum += h & kHeightMask;
    return sum;
}

int HighBit(int n)
{
    int bit = 1;
    while (bit * 2 <= n)
        bit *= 2;
    return n > 0 ? bit : 0;
}

} // namespace

ParagraphHeights::ParagraphHeights(int defaultEstimate) : m_defaultEstimate(qMax(0, defaultEstimate)) {}

qint64 ParagraphHeights::Total() const { return PrefixSum(int(m_blocks.size())); }

int ParagraphHeights::Height(int paragraph) const
{
    if (paragraph < 0 || paragraph >= m_count)
        return 0;
    const Where w = Locate(paragraph);
    return int(m_blocks[w.block].heights[w.offset] & kHeightMask);
}

bool ParagraphHeights::IsMeasured(int paragraph) const
{
    if (paragraph < 0 || paragraph >= m_count)
        return false;
    const Where w = Locate(paragraph);
    return (m_blocks[w.block].heights[w.offset] & kMeasured) != 0;
}

qint64 ParagraphHeights::PrefixSum(int blocks) const
{
    qint64 sum = 0;
    for (int i = blocks; i > 0; i -= i & -i)
        sum += m_sumTree[i];
    return sum;
}

int ParagraphHeights::PrefixCount(int blocks) const
{
    int count = 0;
    for (int i = blocks; i > 0; i -= i & -i)
        count += m_countTree[i];
    return count;
}

void ParagraphHeights::AddToBlock(int block, int countDelta, qint64 sumDelta)
{
    const int n = int(m_blocks.size());
    for (int i = block + 1; i <= n; i += i & -i) {
        m_countTree[i] += countDelta;
        m_sumTree[i] += sumDelta;
    }
}

// The block holding the paragraph and its index there; Count() is placed
// just past the last block's end, where an append goes.
ParagraphHeights::Where ParagraphHeights::Locate(int paragraph) const
{
    const int n = int(m_blocks.size());
    if (paragraph >= m_count)
        return n == 0 ? Where{} : Where{n - 1, int(m_blocks.back().heights.size())};
    int pos = 0;
    int rest = paragraph;
    for (int step = HighBit(n); step > 0; step /= 2) {
        if (pos + step <= n && m_countTree[pos + step] <= rest) {
            pos += step;
            rest -= m_countTree[pos];
        }
    }
    return {pos, rest};
}

void ParagraphHeights::Rebuild()
{
    const int n = int(m_blocks.size());
    m_sumTree.assign(n + 1, 0);
    m_countTree.assign(n + 1, 0);
    for (int i = 1; i <= n; ++i) {
        m_sumTree[i] += m_blocks[i - 1].sum;
        m_countTree[i] += int(m_blocks[i - 1].heights.size());
        const int up = i + (i & -i);
        if (up <= n) {
            m_sumTree[up] += m_sumTree[i];
            m_countTree[up] += m_countTree[i];
        }
    }
}

void ParagraphHeights::Insert(int paragraph, int count)
{
    count = qMin(count, std::numeric_limits<int>::max() - m_count); // indexes are ints
    if (count <= 0)
        return;
    paragraph = std::clamp(paragraph, 0, m_count);
    const Where w = Locate(paragraph);
    if (m_blocks.empty() || int(m_blocks[w.block].heights.size()) + count > kBlockMax) {
        InsertBlocks(paragraph, count);
        return;
    }
    Block &b = m_blocks[w.block];
    // Grown by a little at a time, not doubled: doubling would leave half of
    // every block spare once edits have touched them all.
    if (b.heights.size() + size_t(count) > b.heights.capacity())
        b.heights.reserve(std::min(size_t(kBlockMax), b.heights.size() + size_t(count) + kBlockMax / 16));
    b.heights.insert(b.heights.begin() + w.offset, size_t(count), quint32(m_defaultEstimate));
    const qint64 added = qint64(count) * m_defaultEstimate;
    b.sum += added;
    m_count += count;
    AddToBlock(w.block, count, added);
}

// The block the paragraph falls in, with count estimates put in at it, cut
// again into blocks of about kBlockCut.
void ParagraphHeights::InsertBlocks(int at, int count)
{
    const Where w = Locate(at);
    std::vector<quint32> old;
    if (!m_blocks.empty())
        old.swap(m_blocks[w.block].heights);
    const qint64 all = qint64(old.size()) + count;
    const int pieces = int((all + kBlockCut - 1) / kBlockCut);
    const quint32 estimate = quint32(m_defaultEstimate);
    std::vector<Block> made(static_cast<size_t>(pieces));
    qint64 i = 0;
    for (int k = 0; k < pieces; ++k) {
        const qint64 end = all * (k + 1) / pieces;
        Block &b = made[size_t(k)];
        b.heights.reserve(size_t(end - i));
        for (; i < end; ++i) {
            const quint32 h = i < w.offset ? old[size_t(i)]
                              : i < w.offset + count ? estimate
                                                     : old[size_t(i - count)];
            b.heights.push_back(h);
            b.sum += h & kHeightMask;
        }
    }
    if (!m_blocks.empty())
        m_blocks.erase(m_blocks.begin() + w.block);
    m_blocks.insert(m_blocks.begin() + w.block, std::make_move_iterator(made.begin()),
                    std::make_move_iterator(made.end()));
    m_count += count;
    Rebuild();
}

void ParagraphHeights::EraseInBlock(int block, int from, int to)
{
    Block &b = m_blocks[size_t(block)];
    b.heights.erase(b.heights.begin() + from, b.heights.begin() + to);
    b.sum = SumOf(b.heights);
}

void ParagraphHeights::Remove(int paragraph, int count)
{
    const int from = std::clamp(paragraph, 0, m_count);
    const int to = int(std::clamp(qint64(paragraph) + qMax(0, count), qint64(from), qint64(m_count)));
    if (from >= to)
        return;
    const Where a = Locate(from);
    const Where z = Locate(to - 1);
    m_count -= to - from;
    if (a.block == z.block) {
        const qint64 before = m_blocks[size_t(a.block)].sum;
        EraseInBlock(a.block, a.offset, z.offset + 1);
        const Block &b = m_blocks[size_t(a.block)];
        if (!b.heights.empty() && (int(b.heights.size()) >= kBlockSmall || m_blocks.size() == 1)) {
            AddToBlock(a.block, -(to - from), b.sum - before);
            return;
        }
        MendBlock(a.block);
        Rebuild();
        return;
    }
    EraseInBlock(z.block, 0, z.offset + 1);
    EraseInBlock(a.block, a.offset, int(m_blocks[size_t(a.block)].heights.size()));
    m_blocks.erase(m_blocks.begin() + a.block + 1, m_blocks.begin() + z.block);
    MendBlock(a.block + 1);
    MendBlock(a.block);
    Rebuild();
}

// An empty block goes; a small one is merged with a neighbour (and the two
// cut in half again if together they are too many).  The caller rebuilds.
void ParagraphHeights::MendBlock(int block)
{
    if (block < 0 || block >= int(m_blocks.size()))
        return;
    if (m_blocks[size_t(block)].heights.empty()) {
        m_blocks.erase(m_blocks.begin() + block);
        return;
    }
    if (int(m_blocks[size_t(block)].heights.size()) >= kBlockSmall || m_blocks.size() == 1)
        return;
    const int left = block + 1 < int(m_blocks.size()) ? block : block - 1;
    std::vector<quint32> &into = m_blocks[size_t(left)].heights;
    std::vector<quint32> &from = m_blocks[size_t(left + 1)].heights;
    into.insert(into.end(), from.begin(), from.end());
    if (int(into.size()) <= kBlockMax) {
        m_blocks[size_t(left)].sum = SumOf(into);
        m_blocks.erase(m_blocks.begin() + left + 1);
        return;
    }
    const size_t half = into.size() / 2;
    from.assign(into.begin() + std::ptrdiff_t(half), into.end());
    into.resize(half);
    into.shrink_to_fit();
    m_blocks[size_t(left)].sum = SumOf(into);
    m_blocks[size_t(left + 1)].sum = SumOf(from);
}

qint64 ParagraphHeights::Assign(int paragraph, quint32 value)
{
    const Where w = Locate(paragraph);
    Block &b = m_blocks[size_t(w.block)];
    quint32 &h = b.heights[size_t(w.offset)];
    const qint64 delta = qint64(value & kHeightMask) - qint64(h & kHeightMask);
    h = value;
    b.sum += delta;
    if (delta != 0)
        AddToBlock(w.block, 0, delta);
    return delta;
}

qint64 ParagraphHeights::SetMeasured(int paragraph, int height)
{
    if (paragraph < 0 || paragraph >= m_count)
        return 0;
    return Assign(paragraph, kMeasured | Clean(height));
}

qint64 ParagraphHeights::SetEstimate(int paragraph, int height)
{
    if (paragraph < 0 || paragraph >= m_count || IsMeasured(paragraph))
        return 0;
    return Assign(paragraph, Clean(height));
}

void ParagraphHeights::InvalidateAll(int estimate)
{
    const quint32 h = Clean(estimate);
    for (Block &b : m_blocks) {
        std::fill(b.heights.begin(), b.heights.end(), h);
        b.sum = qint64(b.heights.size()) * h;
    }
    Rebuild();
}

void ParagraphHeights::InvalidateAll(const std::function<int(int)> &estimate)
{
    int paragraph = 0;
    for (Block &b : m_blocks) {
        for (quint32 &h : b.heights)
            h = Clean(estimate(paragraph++));
        b.sum = SumOf(b.heights);
    }
    Rebuild();
}

qint64 ParagraphHeights::Top(int paragraph) const
{
    paragraph = std::clamp(paragraph, 0, m_count);
    if (paragraph == m_count)
        return Total();
    const Where w = Locate(paragraph);
    const std::vector<quint32> &heights = m_blocks[size_t(w.block)].heights;
    qint64 y = PrefixSum(w.block);
    for (int i = 0; i < w.offset; ++i)
        y += heights[size_t(i)] & kHeightMask;
    return y;
}

ParagraphHeights::Hit ParagraphHeights::ParagraphAt(qint64 y) const
{
    const qint64 total = Total();
    if (total <= 0)
        return {};
    qint64 rest = std::clamp(y, qint64(0), total - 1);
    const int n = int(m_blocks.size());
    int pos = 0;
    for (int step = HighBit(n); step > 0; step /= 2) {
        if (pos + step <= n && m_sumTree[pos + step] <= rest) {
            pos += step;
            rest -= m_sumTree[pos];
        }
    }
    const std::vector<quint32> &heights = m_blocks[size_t(pos)].heights;
    const int first = PrefixCount(pos);
    for (size_t i = 0; i < heights.size(); ++i) {
        const qint64 h = heights[i] & kHeightMask;
        if (rest < h)
            return {first + int(i), rest};
        rest -= h;
    }
    return {}; // not reached while the sums agree with the heights
}

} // namespace lumora
