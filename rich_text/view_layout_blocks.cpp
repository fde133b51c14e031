// Building the layout of one piece of a paragraph: its text and formats from
// the buffer, its pictures, the pre-edit text, and the line boxes.

#include "rich_text/view_layout_impl.h"

#include "rich_text/qt_formats.h"


#include <QFontInfo>
#include <QFontMetricsF>
#include <QtMath>
#include <algorithm>

namespace lumora {

namespace {
// Lines that do not wrap are laid out this wide (a piece is a few thousand
// characters, far narrower).
constexpr qreal kNoWrapWidth = 16e6;

QSizeF PictureSize(const Picture &p)
{
    QSizeF size(p.width, p.height);
    if (size.width() <= 0 || size.height() <= 0)
        size = p.image.size();
    return size;
}

Qt::Alignment ToQt(Align a)
{
    switch (a) {
    case Align::Center:
        return Qt::AlignHCenter;
    case Align::Right:
        return Qt::AlignRight;
    case Align::Justify:
        return Qt::AlignJustify;
    case Align::Left:
        break;
    }
    return Qt::AlignLeft;
}
} // namespace

int ViewBlock::LineAt(int y) const
{
    const auto it = std::upper_bound(tops.begin(), tops.end() - 1, y);
    return std::max(0, int(it - tops.begin()) - 1);
}

int ViewBlock::ToLayout(int offset) const
{
    return preeditAt >= 0 && offset > preeditAt ? offset + preeditLength : offset;
}

int ViewBlock::FromLayout(int index) const
{
    if (preeditAt < 0 || index <= preeditAt)
        return index;
    return index < preeditAt + preeditLength ? preeditAt : index - preeditLength;
}

QTextCharFormat ViewLayout::Impl::QtFormat(int id)
{
    const FormatTable &table = buffer.Store().Formats();
    while (qtFormats.size() <= id && qtFormats.size() < table.Count()) {
        const CharFormat &f = table.At(int(qtFormats.size()));
        QTextCharFormat q = ToQtFormat(f);
        if (!f.family.isEmpty()) {
            // Matching a face that is not installed is slow; each name is
            // matched once and the face found is what the text asks for.
            auto face = faces.constFind(f.family);
            if (face == faces.constEnd())
                face = faces.insert(f.family, QFontInfo(QFont(f.family)).family());
            q.setFontFamilies({*face});
        }
        qtFormats.append(q);
    }
    return id < qtFormats.size() ? qtFormats[id] : QTextCharFormat();
}

namespace {
// The formats of the piece's characters, pictures turned into placeholders
// as wide as the picture.
struct PieceFormats
{
    QList<QTextLayout::FormatRange> ranges;
    std::vector<std::pair<int, int>> pictures;
};
} // namespace

static void AddRun(ViewLayout::Impl &d, QString &text, PieceFormats &out, int from, int to, int format)
{
    const CharFormat &cf = d.buffer.Store().Formats().At(format);
    const QVector<Picture> &pictures = d.buffer.Pictures();
    const QTextCharFormat q = d.QtFormat(format);
    if (cf.picture < 0 || cf.picture >= pictures.size()) {
        if (format != 0)
            out.ranges.append({from, to - from, q});
        return;
    }
    int plain = from;
    for (int i = from; i <= to; ++i) {
        if (i < to && text[i] != QChar::ObjectReplacementCharacter)
            continue;
        if (i > plain)
            out.ranges.append({plain, i - plain, q});
        plain = i + 1;
        if (i == to)
            break;
        QTextCharFormat pf = q;
        const QFont font = q.font().resolve(d.font);
        const qreal advance = QFontMetricsF(font).horizontalAdvance(QChar(kPicturePlaceholder));
        pf.setFontLetterSpacingType(QFont::AbsoluteSpacing);
        pf.setFontLetterSpacing(PictureSize(pictures[cf.picture]).width() - advance);
        pf.setForeground(Qt::transparent);
        text[i] = QChar(kPicturePlaceholder);
        out.ranges.append({i, 1, pf});
        out.pictures.emplace_back(i, cf.picture);
    }
}

// Moves the formats after the pre-edit point past the pre-edit text and adds
// the pre-edit's own formats (given relative to it).
static void AddPreedit(ViewLayout::Impl &d, PieceFormats &f, int at)
{
    QList<QTextLayout::FormatRange> ranges;
    const int n = int(d.preeditText.size());
    for (QTextLayout::FormatRange r : f.ranges) {
        if (r.start >= at) {
            r.start += n;
        } else if (r.start + r.length > at) {
            ranges.append({at + n, r.start + r.length - at, r.format});
            r.length = at - r.start;
        }
        ranges.append(r);
    }
    for (QTextLayout::FormatRange r : d.preeditFormats) {
        r.start += at;
        ranges.append(r);
    }
    f.ranges = ranges;
    for (auto &pic : f.pictures)
        pic.first += pic.first >= at ? n : 0;
}

std::unique_ptr<ViewBlock> ViewLayout::Impl::Build(int paragraph, int from, int to)
{
    auto b = std::make_unique<ViewBlock>();
    const TextStore &s = buffer.Store();
    const int start = s.ParagraphStart(paragraph);
    b->from = from;
    b->to = to;
    QString text = s.Text(start + from, to - from);
    PieceFormats f;
    s.ForEachRun(start + from, start + to, [&](int rs, int re, int format) {
        AddRun(*this, text, f, rs - start - from, re - start - from, format);
    });
    if (preeditPos >= 0 && s.ParagraphAt(preeditPos) == paragraph) {
        const int offset = preeditPos - start;
        const int length = s.ParagraphEnd(paragraph) - start;
        if (PieceOf(paragraph, offset, length) == PieceOf(paragraph, from, length)) {
            b->preeditAt = offset - from;
            b->preeditLength = int(preeditText.size());
            AddPreedit(*this, f, b->preeditAt);
        }
    }
    // What is left of U+FFFC names no picture (text read from a plain
    // file): a layout without a document would give it no width, so it
    // shows as the replacement character.
    text.replace(QChar::ObjectReplacementCharacter, QChar::ReplacementCharacter);
    // A paragraph separator inside a paragraph (ours end in CR LF) breaks
    // the line as a soft break does; the layout would end its line without
    // a place for the caret after it.
    text.replace(QChar::ParagraphSeparator, QChar::LineSeparator);
    b->pictures = std::move(f.pictures);
    QTextLayout &layout = b->layout;
    layout.setText(text);
    layout.setFont(font);
    if (b->preeditAt >= 0)
        layout.setPreeditArea(b->preeditAt, preeditText);
    layout.setFormats(f.ranges);
    QTextOption option;
    option.setWrapMode(wrap > 0 ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
    option.setAlignment(wrap > 0 ? ToQt(buffer.AlignOf(paragraph)) : Qt::AlignLeft);
    layout.setTextOption(option);
    layout.setCacheEnabled(true);
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine())
        line.setLineWidth(wrap > 0 ? wrap : kNoWrapWidth);
    layout.endLayout();
    StackLines(*b);
    return b;
}

// Gives each line its box: as tall as its text, or as the pictures on it,
// which stand on the baseline.
void ViewLayout::Impl::StackLines(ViewBlock &b)
{
    const QTextLayout &layout = b.layout;
    std::vector<qreal> above(size_t(layout.lineCount()), 0);
    for (const auto &[index, picture] : b.pictures) {
        const int line = layout.lineForTextPosition(index).lineNumber();
        if (line >= 0)
            above[size_t(line)] = std::max(above[size_t(line)], PictureSize(buffer.Pictures()[picture]).height());
    }
    int y = 0;
    b.tops.clear();
    for (int i = 0; i < layout.lineCount(); ++i) {
        QTextLine line = layout.lineAt(i);
        const qreal ascent = std::max(line.ascent(), above[size_t(i)]);
        line.setPosition(QPointF(0, y + ascent - line.ascent()));
        b.tops.push_back(y);
        y += std::max(qCeil(line.height()), qCeil(ascent + line.descent()));
    }
    b.tops.push_back(y);
}

QRectF ViewLayout::Impl::PictureRect(const ViewBlock &b, int index, int picture) const
{
    const QTextLine line = b.layout.lineForTextPosition(index);
    const QSizeF size = PictureSize(buffer.Pictures()[picture]);
    const qreal baseline = line.y() + line.ascent();
    return QRectF(QPointF(line.cursorToX(index), baseline - size.height()), size);
}

ViewBlock &ViewLayout::Impl::Block(int paragraph, int piece)
{
    ViewParagraph &para = Paragraph(paragraph);
    ViewPiece &p = para.pieces[size_t(piece)];
    if (!p.block) {
        const int from = PieceStart(paragraph, piece);
        const int to = piece + 1 < int(para.pieces.size()) ? PieceStart(paragraph, piece + 1)
                                                            : ParagraphLength(paragraph);
        p.block = Build(paragraph, from, to);
        ++blocks;
        p.height = p.block->Height();
        p.width = 0;
        for (int i = 0; i < p.block->layout.lineCount(); ++i)
            p.width = std::max(p.width, p.block->layout.lineAt(i).naturalTextWidth());
        p.measured = true;
        p.block->used = ++clock;
        Measure(paragraph);
        // Stamped first: the block just built is the newest, and trimming
        // takes only the oldest, never one a caller holds.
        Trim();
    }
    p.block->used = ++clock;
    return *p.block;
}

qreal ViewLayout::Impl::PieceX(const ViewParagraph &para, int piece) const
{
    qreal x = 0;
    for (int k = 0; wrap <= 0 && k < piece; ++k)
        x += para.pieces[size_t(k)].width;
    return x;
}

int ViewLayout::Impl::PieceY(const ViewParagraph &para, int piece) const
{
    int y = 0;
    for (int k = 0; wrap > 0 && k < piece; ++k)
        y += para.pieces[size_t(k)].height;
    return y;
}

ViewSpot ViewLayout::Impl::Spot(int pos)
{
    const TextStore &s = buffer.Store();
    ViewSpot spot;
    pos = std::clamp(pos, 0, s.Length());
    spot.paragraph = s.ParagraphAt(pos);
    const int start = s.ParagraphStart(spot.paragraph);
    const int length = s.ParagraphEnd(spot.paragraph) - start;
    spot.offset = std::clamp(pos - start, 0, length);
    spot.piece = PieceOf(spot.paragraph, spot.offset, length);
    // Unwrapped pieces lie side by side at estimated places until laid
    // out; the one before is laid out too, so that showing the spot (which
    // shows the end of that one) does not move it.
    if (wrap <= 0 && spot.piece > 0)
        Block(spot.paragraph, spot.piece - 1);
    spot.block = &Block(spot.paragraph, spot.piece);
    const ViewParagraph &para = paragraphs[spot.paragraph];
    spot.dx = PieceX(para, spot.piece);
    spot.dy = PieceY(para, spot.piece);
    return spot;
}

ViewSpot ViewLayout::Impl::SpotAt(int paragraph, qreal x, int y)
{
    ViewSpot spot;
    spot.paragraph = paragraph;
    ViewParagraph &para = Paragraph(paragraph);
    const int count = int(para.pieces.size());
    int k = 0;
    if (wrap > 0) {
        for (int top = 0; k + 1 < count && top + para.pieces[size_t(k)].height <= y; ++k)
            top += para.pieces[size_t(k)].height;
    } else {
        for (qreal left = 0; k + 1 < count && left + para.pieces[size_t(k)].width <= x; ++k)
            left += para.pieces[size_t(k)].width;
    }
    spot.piece = k;
    spot.block = &Block(paragraph, k);
    spot.offset = spot.block->from;
    spot.dx = PieceX(para, k);
    spot.dy = PieceY(para, k);
    return spot;
}

} // namespace lumora
