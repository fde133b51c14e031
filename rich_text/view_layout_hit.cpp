// Geometry questions: where a position is shown, which position a point
// or the line above or below holds.

#include "rich_text/view_layout_impl.h"

#include <algorithm>

namespace lumora {

namespace {
// The layout index the caret stands at for a spot: inside the pre-edit
// text when the caret is where it is being composed.
int CaretIndex(const ViewLayout::Impl &d, const ViewSpot &s)
{
    const ViewBlock &b = *s.block;
    const int rel = s.offset - b.from;
    if (b.preeditAt >= 0 && rel == b.preeditAt)
        return b.preeditAt + d.preeditCursor;
    return b.ToLayout(rel);
}

int PositionOnLine(const ViewLayout::Impl &d, const ViewSpot &s, int line, qreal x)
{
    const ViewBlock &b = *s.block;
    const int index = b.layout.lineAt(line).xToCursor(x - s.dx);
    return d.buffer.Store().ParagraphStart(s.paragraph) + b.from + b.FromLayout(index);
}
} // namespace

QRectF ViewLayout::CaretRect(int pos) const
{
    Impl &d = *m_impl;
    const ViewSpot s = d.Spot(pos);
    const ViewBlock &b = *s.block;
    const QTextLine line = b.layout.lineForTextPosition(CaretIndex(d, s));
    const int n = std::max(0, line.lineNumber());
    const qreal x = line.isValid() ? line.cursorToX(CaretIndex(d, s)) : 0;
    const qint64 top = d.heights.Top(s.paragraph) + s.dy + b.tops[size_t(n)];
    return QRectF(s.dx + x, qreal(top), d.caretWidth, b.tops[size_t(n) + 1] - b.tops[size_t(n)]);
}

int ViewLayout::PositionAt(QPointF point) const
{
    Impl &d = *m_impl;
    const qint64 y = qint64(std::max<qreal>(0, point.y()));
    // Laying out the paragraph found may correct its height; the lookup is
    // made again until it stands still.
    ParagraphHeights::Hit hit;
    for (int tries = 0; tries < 4; ++tries) {
        hit = d.heights.ParagraphAt(y);
        if (hit.paragraph < 0)
            return 0;
        const int before = d.heights.Height(hit.paragraph);
        d.SpotAt(hit.paragraph, point.x(), int(hit.offset));
        if (d.heights.Height(hit.paragraph) == before)
            break;
    }
    const ViewSpot s = d.SpotAt(hit.paragraph, point.x(), int(hit.offset));
    const int line = s.block->LineAt(int(std::min<qint64>(hit.offset, INT_MAX)) - s.dy);
    return PositionOnLine(d, s, line, point.x());
}

int ViewLayout::LineStart(int pos) const
{
    Impl &d = *m_impl;
    const ViewSpot s = d.Spot(pos);
    const QTextLine line = s.block->layout.lineForTextPosition(CaretIndex(d, s));
    const int start = m_buffer.Store().ParagraphStart(s.paragraph) + s.block->from;
    return start + s.block->FromLayout(std::max(0, line.textStart()));
}

int ViewLayout::LineEnd(int pos) const
{
    Impl &d = *m_impl;
    const ViewSpot s = d.Spot(pos);
    const ViewBlock &b = *s.block;
    const QTextLine line = b.layout.lineForTextPosition(CaretIndex(d, s));
    int end = line.textStart() + line.textLength();
    // A wrapped line ends before the space (or soft break) it was broken at.
    if (line.lineNumber() + 1 < b.layout.lineCount() && end > 0 && b.layout.text().at(end - 1).isSpace())
        --end;
    return m_buffer.Store().ParagraphStart(s.paragraph) + b.from + b.FromLayout(end);
}

int ViewLayout::PositionAbove(int pos, qreal x) const
{
    Impl &d = *m_impl;
    const ViewSpot s = d.Spot(pos);
    const int line = s.block->layout.lineForTextPosition(CaretIndex(d, s)).lineNumber();
    if (line > 0)
        return PositionOnLine(d, s, line - 1, x);
    int paragraph = s.paragraph;
    int y = s.dy - 1;
    if (y < 0) {
        if (paragraph == 0)
            return pos;
        --paragraph;
        y = d.heights.Height(paragraph) - 1;
    }
    const ViewSpot above = d.SpotAt(paragraph, x, y);
    return PositionOnLine(d, above, above.block->layout.lineCount() - 1, x);
}

int ViewLayout::PositionBelow(int pos, qreal x) const
{
    Impl &d = *m_impl;
    const ViewSpot s = d.Spot(pos);
    const int line = s.block->layout.lineForTextPosition(CaretIndex(d, s)).lineNumber();
    if (line + 1 < s.block->layout.lineCount())
        return PositionOnLine(d, s, line + 1, x);
    int paragraph = s.paragraph;
    int y = s.dy + s.block->Height();
    const ViewParagraph &para = d.paragraphs[paragraph];
    if (d.wrap <= 0 || s.piece + 1 >= int(para.pieces.size())) {
        if (paragraph + 1 >= d.heights.Count())
            return pos;
        ++paragraph;
        y = 0;
    }
    return PositionOnLine(d, d.SpotAt(paragraph, x, y), 0, x);
}

} // namespace lumora
