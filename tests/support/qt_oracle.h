#pragma once

// Qt's own plain-text editor over its document, driven as the editing area
// drove it before it had a store of its own: colours as Qt's character
// formats, pictures as image objects, positions counted as CR LF text.  The
// oracle the editing area and its edit buffer are compared with.
#include "document/color_layers.h"
#include "document/document.h"
#include "document/ole_color.h"
#include "document/text_lines.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <vector>

namespace lumora {

class QtOracle : public QPlainTextEdit
{
public:
    QtOracle() { setLineWrapMode(QPlainTextEdit::WidgetWidth); }

    // Text without an undo step; [0, redTo) red, as is what is typed into
    // an empty first line; the paragraphs' alignments.
    void Load(const QString &text, const QVector<QPair<int, Align>> &aligns, int redTo)
    {
        document()->setUndoRedoEnabled(false);
        QTextCursor c(document());
        c.insertText(text);
        c.setPosition(0);
        c.setPosition(DocPos(redTo), QTextCursor::KeepAnchor);
        c.mergeCharFormat(Coloured(0x0000FF));
        c.setPosition(0);
        c.mergeBlockCharFormat(Coloured(0x0000FF));
        for (const auto &a : aligns) {
            QTextBlockFormat f;
            f.setAlignment(a.second == Align::Right ? Qt::AlignRight : Qt::AlignHCenter);
            QTextCursor(document()->findBlockByNumber(a.first)).mergeBlockFormat(f);
        }
        document()->setUndoRedoEnabled(true);
        setTextCursor(QTextCursor(document()));
    }
    static QTextCharFormat Coloured(OleColor colour)
    {
        QTextCharFormat f;
        f.setForeground(ColorFromOle(colour));
        return f;
    }
    // A text position on the LF of a break lands on the break itself:
    // rounding up takes the break into a range ending there.
    int DocPos(int textPos, bool roundUp = false) const
    {
        int text = 0;
        for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) {
            const int len = b.length() - 1;
            if (textPos <= text + len)
                return b.position() + (textPos - text);
            if (textPos == text + len + 1)
                return b.position() + len + (roundUp ? 1 : 0);
            text += len + 2;
        }
        return document()->characterCount() - 1;
    }
    int TextPos(int docPos) const { return docPos + document()->findBlock(docPos).blockNumber(); }
    QString Text() const { return toPlainText().replace(QLatin1Char('\n'), QLatin1String("\r\n")); }
    void Select(int anchor, int caret)
    {
        QTextCursor c(document());
        c.setPosition(DocPos(anchor));
        c.setPosition(DocPos(caret), QTextCursor::KeepAnchor);
        setTextCursor(c);
    }
    // Typed text takes the cursor's format; next to a picture, its look
    // without the picture.
    QTextCharFormat TypingFormat() const
    {
        QTextCharFormat f = textCursor().charFormat();
        for (int p : {int(QTextFormat::ObjectType), int(QTextFormat::ImageName), int(QTextFormat::ImageWidth),
                      int(QTextFormat::ImageHeight)})
            f.clearProperty(p);
        return f;
    }
    void Type(const QString &text)
    {
        QTextCursor c = textCursor();
        c.insertText(text, TypingFormat());
        setTextCursor(c);
    }
    void Paste(const QString &text)
    {
        QTextCursor c = textCursor();
        c.beginEditBlock();
        c.insertText(NormalizeLineBreaks(text), TypingFormat());
        c.endEditBlock();
        setTextCursor(c);
    }
    void Picture(const QString &name, QSizeF size = {})
    {
        QTextImageFormat f;
        f.setName(name);
        if (!size.isEmpty()) {
            f.setWidth(size.width());
            f.setHeight(size.height());
        }
        QTextCursor c = textCursor();
        c.insertImage(f);
        setTextCursor(c);
    }
    // A colouring pass: one edit block over the pieces.
    void Paint(const std::vector<ColorPiece> &pieces)
    {
        const int len = int(Text().size());
        QTextCursor c(document());
        c.beginEditBlock();
        for (const ColorPiece &r : pieces) {
            const int s0 = std::clamp(r.start, 0, len), s1 = std::clamp(r.end, s0, len);
            if (s1 <= s0)
                continue;
            c.setPosition(DocPos(s0, false));
            c.setPosition(DocPos(s1, true), QTextCursor::KeepAnchor);
            if (c.hasSelection())
                c.mergeCharFormat(Coloured(*r.color));
        }
        c.endEditBlock();
    }
    // The colour of every text position (-1: none); both characters of a
    // break show the break's own format.
    QList<qint64> Colours() const
    {
        QList<qint64> out;
        for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) {
            for (auto it = b.begin(); !it.atEnd(); ++it) {
                for (int i = 0; i < it.fragment().length(); ++i)
                    out << Colour(it.fragment().charFormat());
            }
            if (b.next().isValid())
                out << Colour(b.next().charFormat()) << Colour(b.next().charFormat());
        }
        return out;
    }
    static qint64 Colour(const QTextFormat &f)
    {
        return f.hasProperty(QTextFormat::ForegroundBrush) ? qint64(OleFromColor(f.foreground().color())) : -1;
    }
    QList<int> Aligns() const
    {
        QList<int> out;
        for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) {
            const Qt::Alignment a = b.blockFormat().alignment();
            out << (a & Qt::AlignRight ? int(Align::Right) : a & Qt::AlignHCenter ? int(Align::Center) : 0);
        }
        return out;
    }
};

} // namespace lumora
