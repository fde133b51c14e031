#pragma once

#include "document/edit_buffer.h"
#include "document/paragraph_heights.h"

#include <QFont>
#include <QList>
#include <QRectF>
#include <QTextLayout>
#include <memory>

class QPainter;

namespace lumora {

// The geometry of an EditBuffer on screen, without a widget: a QTextLayout
// for each paragraph that has been shown, kept in a cache of bounded size,
// and the height of every paragraph (measured when laid out, estimated from
// its length before) in ParagraphHeights, so a document of millions of
// paragraphs costs only what is on screen.  A paragraph longer than a piece
// (a few thousand characters) is laid out piece by piece, only the pieces
// shown, so a line of any length costs what is visible of it.
//
// Coordinates are document pixels: y from the top of the document (64-bit),
// x from the left edge of the text.  Positions are the buffer's text
// positions.  Call OnChange for every change the buffer reports.
class ViewLayout
{
public:
    explicit ViewLayout(const EditBuffer &buffer);
    ~ViewLayout();

    // The look of format 0 and what other formats leave unset.
    void SetBaseFont(const QFont &font);
    QFont BaseFont() const { return m_font; }
    // Wrap width in pixels; 0 or less: no wrapping, a paragraph is one line.
    void SetWrapWidth(int width);
    int WrapWidth() const { return m_wrapWidth; }

    // Keeps heights and cached layouts in step with the buffer.
    void OnChange(const EditBuffer::Change &change);

    qint64 TotalHeight() const;
    // The widest line laid out so far (for the horizontal scroll bar when
    // lines do not wrap); estimated for pieces not yet laid out.
    qreal ContentWidth() const;
    qint64 ParagraphTop(int paragraph) const;
    int LineHeight() const;

    // Lays out the paragraphs covering [top, top + height) so their heights
    // are measured, and returns by how much the text to keep still moved
    // meanwhile (what a scroll offset must add to keep it on screen where
    // it was): the top of `keepParagraph`, or without one the first row
    // of the band that had been laid out before (what was on screen, when
    // rows estimated above it came into view).
    qint64 Prepare(qint64 top, int height, int keepParagraph = -1);

    // Caret geometry: the rectangle of a caret before pos (its line's
    // height), laying out what it needs.
    QRectF CaretRect(int pos) const;
    // The position nearest to a point in document pixels.
    int PositionAt(QPointF point) const;
    // Visual lines (wrapped lines count): the start and end of the line
    // holding pos, and the position on the line above or below nearest to
    // x (pos itself at the first or last line of the document).
    int LineStart(int pos) const;
    int LineEnd(int pos) const;
    int PositionAbove(int pos, qreal x) const;
    int PositionBelow(int pos, qreal x) const;

    // Input-method text being composed, drawn at pos (empty: none); the
    // formats are relative to the text, cursor is the caret's place in it
    // (-1: at its end), where a caret at pos is drawn.
    void SetPreedit(int pos, const QString &text, const QList<QTextLayout::FormatRange> &formats,
                    int cursor = -1);
    // The caret's width in pixels (the style's text cursor width).
    void SetCaretWidth(int width);
    // Every paragraph's height and top, as laid out or estimated so far.
    const ParagraphHeights &Heights() const;

    struct PaintState
    {
        int selFrom = 0;
        int selTo = 0;
        int caret = -1;          // -1: no caret drawn
        QColor selectionBack;
        QColor selectionText;
        QColor text;
    };
    // Paints the band [top, top + height) of the document with its top at
    // y 0 of the painter, the text's left edge at x = -left.
    void Paint(QPainter &painter, qint64 top, int height, qreal left, const PaintState &state) const;

    struct Impl;

private:
    void Reset();

    const EditBuffer &m_buffer;
    QFont m_font;
    int m_wrapWidth = 0;
    std::unique_ptr<Impl> m_impl;
};

} // namespace lumora
