// Drawing the shown band of the document: text, selection, pictures, the
// pre-edit text and the caret.

#include "rich_text/view_layout_impl.h"

#include "rich_text/pictures.h"

#include <QPaintDevice>
#include <QPainter>
#include <algorithm>

namespace lumora {

namespace {

struct BlockPlace
{
    int paragraph = 0;
    int piece = 0;
    int start = 0;        // the text position of the piece's start
    int paragraphEnd = 0; // the text position of the paragraph's break
    bool last = false;    // the paragraph's last piece
    QPointF origin;
};

QList<QTextLayout::FormatRange> Selection(const ViewBlock &b, const BlockPlace &at,
                                          const ViewLayout::PaintState &st)
{
    QList<QTextLayout::FormatRange> out;
    const int from = std::max(st.selFrom - at.start, 0);
    const int to = std::min(st.selTo - at.start, b.to - b.from);
    if (from >= to)
        return out;
    QTextLayout::FormatRange r;
    r.start = b.ToLayout(from);
    r.length = b.ToLayout(to) - r.start;
    r.format.setBackground(st.selectionBack);
    r.format.setForeground(st.selectionText);
    out.append(r);
    // The placeholder under a picture stays unseen when selected.
    for (const auto &[index, picture] : b.pictures) {
        if (index >= r.start && index < r.start + r.length) {
            QTextLayout::FormatRange p = r;
            p.start = index;
            p.length = 1;
            p.format.setForeground(Qt::transparent);
            out.append(p);
        }
    }
    return out;
}

// A selected paragraph break shows as a space-wide mark after the line's
// end, so a selected empty line can be seen.
void DrawSelectedBreak(QPainter &painter, const ViewLayout::Impl &d, const ViewBlock &b, const BlockPlace &at,
                       const ViewLayout::PaintState &st)
{
    if (!at.last || st.selFrom > at.paragraphEnd || st.selTo <= at.paragraphEnd)
        return;
    const int lines = b.layout.lineCount();
    const QTextLine line = b.layout.lineAt(lines - 1);
    const qreal x = line.cursorToX(line.textStart() + line.textLength());
    const int top = b.tops[size_t(lines) - 1];
    painter.fillRect(QRectF(at.origin.x() + x, at.origin.y() + top, d.charWidth / 2 + 1, b.Height() - top),
                     st.selectionBack);
}

void DrawPictures(QPainter &painter, const ViewLayout::Impl &d, const ViewBlock &b, const BlockPlace &at,
                  const ViewLayout::PaintState &st)
{
    for (const auto &[index, picture] : b.pictures) {
        const QRectF rect = d.PictureRect(b, index, picture).translated(at.origin);
        if (!painter.clipBoundingRect().isEmpty() && !rect.intersects(painter.clipBoundingRect()))
            continue;
        const QImage &image = d.buffer.Pictures()[picture].image;
        if (image.isNull())
            DrawPictureBox(&painter, rect);
        else
            painter.drawImage(rect, image);
        const int pos = at.start + b.FromLayout(index);
        if (pos >= st.selFrom && pos < st.selTo) {
            QColor veil = st.selectionBack;
            veil.setAlpha(110);
            painter.fillRect(rect, veil);
        }
    }
}

void DrawCaret(QPainter &painter, const ViewLayout::Impl &d, const ViewBlock &b, const BlockPlace &at,
               const ViewLayout::PaintState &st)
{
    const int rel = st.caret - at.start;
    if (st.caret < 0 || rel < 0 || rel > b.to - b.from)
        return;
    const TextStore &s = d.buffer.Store();
    const int paraStart = s.ParagraphStart(at.paragraph);
    if (d.PieceOf(at.paragraph, st.caret - paraStart, at.paragraphEnd - paraStart) != at.piece)
        return;
    const int index = b.preeditAt >= 0 && rel == b.preeditAt ? b.preeditAt + d.preeditCursor : b.ToLayout(rel);
    const QTextLine line = b.layout.lineForTextPosition(index);
    const int n = std::max(0, line.lineNumber());
    const qreal x = line.isValid() ? line.cursorToX(index) : 0;
    painter.fillRect(QRectF(at.origin.x() + x, at.origin.y() + b.tops[size_t(n)], d.caretWidth,
                            b.tops[size_t(n) + 1] - b.tops[size_t(n)]),
                     st.text);
}

void DrawBlock(QPainter &painter, const ViewLayout::Impl &d, const ViewBlock &b, const BlockPlace &at,
               const ViewLayout::PaintState &st)
{
    painter.setPen(st.text);
    b.layout.draw(&painter, at.origin, Selection(b, at, st));
    DrawSelectedBreak(painter, d, b, at, st);
    DrawPictures(painter, d, b, at, st);
    DrawCaret(painter, d, b, at, st);
}

} // namespace

void ViewLayout::Paint(QPainter &painter, qint64 top, int height, qreal left, const PaintState &state) const
{
    Impl &d = *m_impl;
    const qint64 bottom = top + height;
    const qreal width = painter.device() ? painter.device()->width() : 1e9;
    const TextStore &s = m_buffer.Store();
    int p = d.heights.ParagraphAt(std::max<qint64>(0, top)).paragraph;
    for (; p >= 0 && p < d.heights.Count() && d.heights.Top(p) < bottom; ++p) {
        ViewParagraph &para = d.Paragraph(p);
        BlockPlace at;
        at.paragraph = p;
        at.paragraphEnd = s.ParagraphEnd(p);
        const int paraStart = s.ParagraphStart(p);
        const int count = int(para.pieces.size());
        qreal x = 0;
        qint64 y = d.heights.Top(p);
        for (int k = 0; k < count; ++k) {
            const ViewPiece &piece = para.pieces[size_t(k)];
            if (y >= bottom || x - left >= width)
                break;
            const qreal pieceX = x;
            const qint64 pieceY = y;
            // Pieces lie side by side without wrapping, stacked with it.
            if (d.wrap > 0)
                y += piece.height;
            else
                x += piece.width;
            if (pieceY + piece.height <= top || pieceX + piece.width < left)
                continue;
            const ViewBlock &b = d.Block(p, k);
            at.piece = k;
            at.start = paraStart + b.from;
            at.last = k + 1 == count;
            at.origin = QPointF(pieceX - left, qreal(pieceY - top));
            // Laying the piece out measured it.
            if (d.wrap > 0)
                y = pieceY + piece.height;
            else
                x = pieceX + piece.width;
            DrawBlock(painter, d, b, at, state);
        }
    }
}

} // namespace lumora
