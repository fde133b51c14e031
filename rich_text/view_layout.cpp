#include "rich_text/view_layout.h"

#include "rich_text/view_layout_impl.h"

#include <QFontMetricsF>
#include <QtMath>
#include <algorithm>

namespace lumora {

namespace {
// The paragraph estimates are read from the text in slices of this size,
// so a whole-document estimate costs one pass and no copy of the text.
constexpr int kScanSlice = 1 << 16;
// A paragraph's height is kept in an int; no estimate may come near that.
constexpr qint64 kTallest = INT_MAX / 4;
} // namespace

int ViewLayout::Impl::ParagraphLength(int paragraph) const
{
    const TextStore &s = buffer.Store();
    return s.ParagraphEnd(paragraph) - s.ParagraphStart(paragraph);
}

int ViewLayout::Impl::PieceCount(int length) const
{
    return length <= kPieceChars ? 1 : (length + kPieceChars - 1) / kPieceChars;
}

int ViewLayout::Impl::PieceStart(int paragraph, int piece) const
{
    if (piece <= 0)
        return 0;
    const TextStore &s = buffer.Store();
    const int start = s.ParagraphStart(paragraph);
    const int at = piece * kPieceChars;
    // A surrogate pair stays whole in the piece after.
    return s.At(start + at).isLowSurrogate() ? at - 1 : at;
}

int ViewLayout::Impl::PieceOf(int paragraph, int offset, int length) const
{
    const int count = PieceCount(length);
    if (count == 1)
        return 0;
    int k = std::min(offset / kPieceChars, count - 1);
    if (k > 0 && PieceStart(paragraph, k) > offset)
        --k;
    return k;
}

int ViewLayout::Impl::EstimateHeight(int length, int softBreaks) const
{
    qint64 lines = 1 + softBreaks;
    if (wrap > 0)
        lines = std::max<qint64>(lines, qCeil(length * charWidth / wrap));
    return int(std::min(lines * lineHeight, kTallest));
}

void ViewLayout::Impl::EstimateAll()
{
    heights = ParagraphHeights(lineHeight);
    heights.Insert(0, buffer.ParagraphCount());
    EstimateRange(0, buffer.ParagraphCount(), 0);
}

// Estimates paragraphs [first, first + count) from their text in one pass,
// looking for line feeds as a string search does (and for soft breaks only
// in slices that hold any).  Those from `fresh` on have the default
// estimate, which only paragraphs longer than a line or holding soft
// breaks change.
void ViewLayout::Impl::EstimateRange(int first, int count, int fresh)
{
    const TextStore &s = buffer.Store();
    const int end = first + count;
    const int from = s.ParagraphStart(first);
    const int to = end < s.ParagraphCount() ? s.ParagraphStart(end) : s.Length();
    int paragraph = first, length = 0, soft = 0;
    const auto close = [&] {
        const int h = EstimateHeight(length, soft);
        if (paragraph < end && (paragraph < fresh || h != lineHeight))
            heights.SetEstimate(paragraph, h);
        ++paragraph;
        length = soft = 0;
    };
    for (int at = from; at < to; at += kScanSlice) {
        const QString slice = s.Text(at, std::min(kScanSlice, to - at));
        const bool softBreaks = slice.contains(QChar::LineSeparator);
        qsizetype start = 0;
        while (true) {
            const qsizetype lf = slice.indexOf(u'\n', start);
            const qsizetype stop = lf < 0 ? slice.size() : lf;
            const QStringView part = QStringView(slice).mid(start, stop - start);
            length += int(part.size()) - (part.endsWith(u'\r') ? 1 : 0);
            if (softBreaks)
                soft += int(part.count(QChar::LineSeparator));
            if (lf < 0)
                break;
            close();
            start = lf + 1;
        }
    }
    if (paragraph < end)
        close();
}

ViewParagraph &ViewLayout::Impl::Paragraph(int paragraph)
{
    ViewParagraph &para = paragraphs[paragraph];
    const int length = ParagraphLength(paragraph);
    const size_t count = size_t(PieceCount(length));
    if (para.pieces.size() != count) {
        const size_t old = para.pieces.size();
        for (size_t k = count; k < old; ++k) {
            if (para.pieces[k].block)
                --blocks;
        }
        para.pieces.resize(count);
        for (size_t k = old; k < count; ++k) {
            const int from = int(k) * kPieceChars;
            const int chars = std::min(kPieceChars, length - from);
            para.pieces[k].height = EstimateHeight(chars, 0);
            para.pieces[k].width = chars * charWidth;
        }
    }
    return para;
}

void ViewLayout::Impl::Measure(int paragraph)
{
    const ViewParagraph &para = paragraphs[paragraph];
    qint64 height = 0;
    qreal width = 0;
    for (const ViewPiece &piece : para.pieces) {
        height = wrap > 0 ? height + piece.height : std::max<qint64>(height, piece.height);
        width = wrap > 0 ? std::max(width, piece.width) : width + piece.width;
    }
    heights.SetMeasured(paragraph, int(std::min(height, kTallest)));
    widest = std::max(widest, width);
}

void ViewLayout::Impl::Trim()
{
    if (blocks <= kCachedBlocks + kCachedBlocks / 4)
        return;
    std::vector<quint64> stamps;
    stamps.reserve(size_t(blocks));
    for (const auto &[p, para] : paragraphs) {
        for (const ViewPiece &piece : para.pieces) {
            if (piece.block)
                stamps.push_back(piece.block->used);
        }
    }
    const size_t drop = stamps.size() - size_t(kCachedBlocks);
    std::nth_element(stamps.begin(), stamps.begin() + long(drop), stamps.end());
    const quint64 cut = stamps[drop];
    for (auto it = paragraphs.begin(); it != paragraphs.end();) {
        bool any = false;
        for (ViewPiece &piece : it->second.pieces) {
            if (piece.block && piece.block->used < cut) {
                piece.block.reset();
                --blocks;
            }
            any = any || piece.block;
        }
        // A short paragraph's height is kept by the heights; a long one
        // keeps its pieces' heights here.
        if (!any && it->second.pieces.size() == 1)
            it = paragraphs.erase(it);
        else
            ++it;
    }
}

void ViewLayout::Impl::DropBlocks(int paragraph, int fromOffset)
{
    auto it = paragraphs.find(paragraph);
    if (it == paragraphs.end())
        return;
    for (ViewPiece &piece : it->second.pieces) {
        // The height stays, measured from the text before, until the
        // piece is laid out again.
        if (piece.block && piece.block->to >= fromOffset) {
            piece.block.reset();
            --blocks;
        }
    }
}

void ViewLayout::Impl::Shift(int from, int delta)
{
    if (delta == 0)
        return;
    std::vector<decltype(paragraphs)::node_type> moved;
    for (auto it = paragraphs.lower_bound(from); it != paragraphs.end();)
        moved.push_back(paragraphs.extract(it++));
    for (auto &node : moved) {
        node.key() += delta;
        paragraphs.insert(std::move(node));
    }
}

ViewLayout::ViewLayout(const EditBuffer &buffer) : m_buffer(buffer), m_impl(std::make_unique<Impl>(buffer))
{
    SetBaseFont(QFont());
}

ViewLayout::~ViewLayout() = default;

void ViewLayout::SetBaseFont(const QFont &font)
{
    m_font = font;
    Impl &d = *m_impl;
    d.font = font;
    QTextLayout probe(QStringLiteral(" "), font);
    probe.beginLayout();
    const QTextLine line = probe.createLine();
    probe.endLayout();
    d.lineHeight = std::max(1, qCeil(line.height()));
    d.charWidth = std::max<qreal>(1, QFontMetricsF(font).averageCharWidth());
    d.qtFormats.clear();
    Reset();
}

void ViewLayout::SetWrapWidth(int width)
{
    width = std::max(0, width);
    if (width == m_wrapWidth)
        return;
    m_wrapWidth = width;
    m_impl->wrap = width;
    Reset();
}

void ViewLayout::Reset()
{
    Impl &d = *m_impl;
    d.paragraphs.clear();
    d.blocks = 0;
    d.widest = 0;
    d.EstimateAll();
}

void ViewLayout::OnChange(const EditBuffer::Change &change)
{
    Impl &d = *m_impl;
    if (change.whole) {
        d.qtFormats.clear();
        d.preeditPos = -1;
        Reset();
        return;
    }
    const int first = change.firstParagraph;
    const int last = first + change.oldParagraphs;
    if (change.formatsOnly) {
        for (auto it = d.paragraphs.lower_bound(first); it != d.paragraphs.end() && it->first < last; ++it)
            d.DropBlocks(it->first, 0);
        return;
    }
    d.DropBlocks(first, change.pos - m_buffer.Store().ParagraphStart(first));
    for (auto it = d.paragraphs.upper_bound(first); it != d.paragraphs.end() && it->first < last;) {
        for (const ViewPiece &piece : it->second.pieces)
            d.blocks -= piece.block ? 1 : 0;
        it = d.paragraphs.erase(it);
    }
    const int delta = change.newParagraphs - change.oldParagraphs;
    d.Shift(last, delta);
    // Heights of paragraphs that stay keep their last measurement until
    // they are shown again, so an edit elsewhere does not move the view.
    const int common = std::min(change.oldParagraphs, change.newParagraphs);
    if (delta > 0)
        d.heights.Insert(first + common, delta);
    else if (delta < 0)
        d.heights.Remove(first + common, -delta);
    d.EstimateRange(first, change.newParagraphs, first + common);
    if (d.preeditPos >= change.pos + change.removed)
        d.preeditPos += change.added - change.removed;
    // A change that miscounted its paragraphs would leave heights for
    // paragraphs that are not there: start afresh rather than trust them.
    if (d.heights.Count() != m_buffer.ParagraphCount())
        Reset();
}

qint64 ViewLayout::TotalHeight() const { return m_impl->heights.Total(); }
qreal ViewLayout::ContentWidth() const { return m_impl->widest; }
qint64 ViewLayout::ParagraphTop(int paragraph) const { return m_impl->heights.Top(paragraph); }
int ViewLayout::LineHeight() const { return m_impl->lineHeight; }
const ParagraphHeights &ViewLayout::Heights() const { return m_impl->heights; }
void ViewLayout::SetCaretWidth(int width) { m_impl->caretWidth = std::max(1, width); }

// Estimates corrected above the first row that was measured before (what
// was on screen) move that row; Settle adds them up so the caller can
// shift by as much and keep it still.  The band moves with that row, so
// that row is found and what will be shown is laid out.
struct ViewLayout::Impl::Settle
{
    qint64 moved = 0;
    bool seen = false;
    void Add(bool wasMeasured, qint64 delta)
    {
        seen = seen || wasMeasured;
        if (!seen)
            moved += delta;
    }
    qint64 Shift() const { return seen ? moved : 0; }
    // How far past the band's foot to lay out: to the row sought (its
    // place before the corrections), and once found, to the shifted foot.
    qint64 Reach() const { return seen ? moved : std::max<qint64>(0, moved); }
};

qint64 ViewLayout::Prepare(qint64 top, int height, int keepParagraph)
{
    Impl &d = *m_impl;
    const qint64 keepTop = keepParagraph >= 0 ? d.heights.Top(keepParagraph) : 0;
    const qint64 bottom = top + std::max(0, height);
    Impl::Settle settle;
    int p = d.heights.ParagraphAt(std::max<qint64>(0, top)).paragraph;
    for (; p >= 0 && p < d.heights.Count() && d.heights.Top(p) < bottom + settle.Reach(); ++p) {
        ViewParagraph &para = d.Paragraph(p);
        const int count = int(para.pieces.size());
        if (count == 1) {
            const bool was = d.heights.IsMeasured(p);
            const int old = d.heights.Height(p);
            d.Block(p, 0);
            settle.Add(was, d.heights.Height(p) - old);
            continue;
        }
        // Unwrapped pieces lie side by side: painting lays out those in
        // view; laying out the first here would move all the others.
        if (d.wrap <= 0)
            continue;
        int y = 0;
        const qint64 paraTop = d.heights.Top(p);
        for (int k = 0; k < count && paraTop + y < bottom + settle.Reach(); ++k) {
            ViewPiece &piece = para.pieces[size_t(k)];
            if (paraTop + y + piece.height > top) {
                const bool was = piece.measured;
                const int old = piece.height;
                d.Block(p, k);
                settle.Add(was, piece.height - old);
            }
            y += piece.height;
        }
    }
    d.Trim();
    if (keepParagraph >= 0)
        return d.heights.Top(keepParagraph) - keepTop;
    return settle.Shift();
}

void ViewLayout::SetPreedit(int pos, const QString &text, const QList<QTextLayout::FormatRange> &formats, int cursor)
{
    Impl &d = *m_impl;
    const auto drop = [&](int at) {
        if (at < 0)
            return;
        const TextStore &s = m_buffer.Store();
        const int p = s.ParagraphAt(std::clamp(at, 0, s.Length()));
        d.DropBlocks(p, at - s.ParagraphStart(p) - kPieceChars);
    };
    drop(d.preeditPos);
    d.preeditPos = text.isEmpty() ? -1 : pos;
    d.preeditText = text;
    d.preeditFormats = formats;
    d.preeditCursor = cursor < 0 ? int(text.size()) : std::min(cursor, int(text.size()));
    drop(d.preeditPos);
}

} // namespace lumora
