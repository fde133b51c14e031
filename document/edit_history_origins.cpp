// OriginList: the origin number of every character, in blocks of runs.
#include "document/edit_history.h"

namespace lumora {

namespace {
constexpr size_t kBlockPieces = 256;
}

void OriginList::Reset(int length)
{
    m_blocks.clear();
    m_length = std::max(0, length);
    if (m_length > 0)
        m_blocks.push_back({m_length, {{m_length, 0}}});
}

void OriginList::SplitBlock(size_t b)
{
    Block &full = m_blocks[b];
    const size_t half = full.pieces.size() / 2;
    Block second;
    second.pieces.assign(full.pieces.begin() + qsizetype(half), full.pieces.end());
    full.pieces.resize(half);
    for (const Piece &p : second.pieces)
        second.length += p.length;
    full.length -= second.length;
    m_blocks.insert(m_blocks.begin() + qsizetype(b) + 1, std::move(second));
}

OriginList::Where OriginList::CutAt(int pos)
{
    if (m_blocks.empty())
        m_blocks.push_back({});
    size_t b = 0;
    int at = 0;
    while (b + 1 < m_blocks.size() && at + m_blocks[b].length <= pos) {
        at += m_blocks[b].length;
        ++b;
    }
    std::vector<Piece> &pieces = m_blocks[b].pieces;
    size_t i = 0;
    while (i < pieces.size() && at + pieces[i].length <= pos) {
        at += pieces[i].length;
        ++i;
    }
    if (i < pieces.size() && at < pos) {
        const int left = pos - at;
        const Piece right{pieces[i].length - left, pieces[i].start + left};
        pieces[i].length = left;
        pieces.insert(pieces.begin() + qsizetype(i) + 1, right);
        ++i;
        if (pieces.size() > 2 * kBlockPieces) {
            SplitBlock(b);
            if (i >= m_blocks[b].pieces.size()) {
                i -= m_blocks[b].pieces.size();
                ++b;
            }
        }
    }
    return {b, i};
}

std::vector<OriginList::Run> OriginList::Slice(int from, int to) const
{
    std::vector<Run> out;
    int at = 0;
    for (const Block &block : m_blocks) {
        if (at + block.length <= from) {
            at += block.length;
            continue;
        }
        for (const Piece &p : block.pieces) {
            const int s = std::max(from, at), e = std::min(to, at + p.length);
            if (s < e)
                out.push_back({e - from, p.start + (s - at)});
            at += p.length;
            if (at >= to)
                return out;
        }
    }
    return out;
}

void OriginList::Replace(int pos, int removed, const std::vector<Run> &runs)
{
    if (removed > 0) {
        const Where end = CutAt(pos + removed);
        const Where from = CutAt(pos);
        // CutAt(pos) may have split a block before `end`: find it again.
        const Where to = CutAt(pos + removed);
        (void)end;
        for (size_t b = to.block + 1; b-- > from.block;) {
            Block &block = m_blocks[b];
            const size_t first = b == from.block ? from.piece : 0;
            const size_t last = b == to.block ? to.piece : block.pieces.size();
            for (size_t i = first; i < last; ++i)
                block.length -= block.pieces[i].length;
            block.pieces.erase(block.pieces.begin() + qsizetype(first), block.pieces.begin() + qsizetype(last));
            if (block.pieces.empty() && m_blocks.size() > 1)
                m_blocks.erase(m_blocks.begin() + qsizetype(b));
        }
        m_length -= removed;
    }
    if (runs.empty())
        return;
    const Where at = CutAt(pos);
    Block &block = m_blocks[at.block];
    std::vector<Piece> added;
    int prev = 0;
    for (const Run &r : runs) {
        added.push_back({r.end - prev, r.start});
        block.length += r.end - prev;
        m_length += r.end - prev;
        prev = r.end;
    }
    block.pieces.insert(block.pieces.begin() + qsizetype(at.piece), added.begin(), added.end());
    if (block.pieces.size() > 2 * kBlockPieces)
        SplitBlock(at.block);
}

} // namespace lumora
