// The edit buffer's undo history and typing formats against the editor they
// replace: a QPlainTextEdit over Qt's own document, driven as the editing
// area drove it (keys for Enter, Backspace and Delete, the cursor for typing
// and pastes, colours as Qt's character formats).  The same random edits go
// to both; after every step, undo and redo the text, every character's
// colour, each paragraph's alignment, the caret and what can be undone must
// agree, and at the end of a round both must undo and redo the same steps.
#include "document/color_layers.h"
#include "document/edit_buffer.h"
#include "document/text_lines.h"

#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QTextBlock>
#include <QTextCursor>
#include <QtTest>

using namespace lumora;

namespace {

class Oracle : public QPlainTextEdit
{
public:
    Oracle() { setLineWrapMode(QPlainTextEdit::WidgetWidth); }

    void Load(const QString &text, const QVector<QPair<int, Align>> &aligns, int redTo)
    {
        document()->setUndoRedoEnabled(false);
        QTextCursor c(document());
        c.insertText(text);
        c.setPosition(0);
        c.setPosition(DocPos(redTo), QTextCursor::KeepAnchor);
        c.mergeCharFormat(Coloured(0x0000FF));
        // Text typed into an empty first line takes the format the
        // document started with.
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
    int DocPos(int textPos) const
    {
        int text = 0;
        for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) {
            const int len = b.length() - 1;
            if (textPos <= text + len + 1)
                return b.position() + std::min(textPos - text, len);
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
    void Picture(int n)
    {
        QTextImageFormat f;
        f.setName(QStringLiteral("picture-%1").arg(n));
        f.setWidth(3);
        f.setHeight(2);
        QTextCursor c = textCursor();
        c.insertImage(f);
        setTextCursor(c);
    }
    void Paint(const std::vector<ColorPiece> &pieces)
    {
        QTextCursor c(document());
        c.beginEditBlock();
        for (const ColorPiece &r : pieces) {
            if (r.end <= r.start)
                continue;
            c.setPosition(DocPos(r.start));
            c.setPosition(DocPos(r.end) + (Text().mid(r.end - 1, 2) == QLatin1String("\r\n") ? 1 : 0),
                          QTextCursor::KeepAnchor);
            if (c.hasSelection())
                c.mergeCharFormat(Coloured(*r.color));
        }
        c.endEditBlock();
    }
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

QList<qint64> Colours(const EditBuffer &b)
{
    QList<qint64> out;
    for (int i = 0; i < b.Length(); ++i) {
        const auto &c = b.Store().Formats().At(b.Store().FormatAt(i)).color;
        out << (c ? qint64(*c) : -1);
    }
    return out;
}

QList<int> Aligns(const EditBuffer &b)
{
    QList<int> out;
    for (int p = 0; p < b.ParagraphCount(); ++p)
        out << int(b.AlignOf(p));
    return out;
}

void Key(QWidget *w, Qt::Key key, int times = 1)
{
    for (int i = 0; i < times; ++i)
        QTest::keyClick(w, key);
}

const OleColor kColours[] = {0x0000FF, 0xFF0000, 0x00C0C0};

} // namespace

class TstEditBufferOracle : public QObject
{
    Q_OBJECT
private slots:
    void randomEditingUndoesAsTheDocumentDid();
};

void TstEditBufferOracle::randomEditingUndoesAsTheDocumentDid()
{
    // LUMORA_SOAK=n runs n times as many rounds, from another seed.
    const int soak = std::max(1, qEnvironmentVariableIntValue("LUMORA_SOAK"));
    QRandomGenerator rng(quint32(7 + soak));
    const QString letters = QStringLiteral("ab中 ");
    for (int round = 0; round < 30 * soak; ++round) {
        const QString start = QStringLiteral("mov eax,1\nret\n\nx");
        const QVector<QPair<int, Align>> aligns{{1, Align::Center}, {3, Align::Right}};
        Oracle oracle;
        oracle.Load(start, aligns, 5);
        EditBuffer buffer;
        Document doc = Document::FromText(QString(start).replace(QLatin1Char('\n'), QLatin1String("\r\n")));
        CharFormat red;
        red.color = 0x0000FF;
        doc.runs.Replace(0, 5, RunList(5, doc.formats.Id(red)));
        doc.aligns = aligns;
        buffer.SetDocument(doc);
        QStringList log;
        const auto check = [&](const char *when) {
            const QString where = QStringLiteral("round %1, %2: %3").arg(round).arg(QLatin1String(when), log.join(QStringLiteral("; ")));
            QVERIFY2(buffer.Text() == oracle.Text(), qPrintable(where));
            QVERIFY2(Colours(buffer) == oracle.Colours(), qPrintable(where));
            QVERIFY2(Aligns(buffer) == oracle.Aligns(), qPrintable(where));
            QVERIFY2(buffer.CanUndo() == oracle.document()->isUndoAvailable(), qPrintable(where));
            QVERIFY2(buffer.CanRedo() == oracle.document()->isRedoAvailable(), qPrintable(where));
            const QTextCursor c = oracle.textCursor();
            QVERIFY2(buffer.Caret() == oracle.TextPos(c.position()) && buffer.Anchor() == oracle.TextPos(c.anchor()),
                     qPrintable(where + QStringLiteral(" caret %1 %2 oracle %3 %4").arg(buffer.Anchor()).arg(buffer.Caret())
                                            .arg(oracle.TextPos(c.anchor())).arg(oracle.TextPos(c.position()))));
        };
        const auto undoRedo = [&](bool undo) {
            const QString before = oracle.Text();
            const bool can = undo ? oracle.document()->isUndoAvailable() : oracle.document()->isRedoAvailable();
            undo ? oracle.undo() : oracle.redo();
            undo ? buffer.Undo() : buffer.Redo();
            // A change of formats alone leaves the selection where it was;
            // Qt's document, holding the colours itself, moves it.
            if (can && oracle.Text() == before)
                oracle.Select(buffer.Anchor(), buffer.Caret());
        };
        int pictures = 0;
        for (int step = 0; step < 50; ++step) {
            const int len = buffer.Length();
            int at = rng.bounded(len + 1), span = rng.bounded(std::min(len - at, 6) + 1);
            if (at > 0 && buffer.Text()[at - 1] == u'\r')
                --at;
            if (at + span > 0 && at + span < len && buffer.Text()[at + span] == u'\n')
                ++span;
            const auto select = [&](int a, int c) { buffer.SetSelection(a, c); oracle.Select(a, c); };
            QString keys;
            for (int k = rng.bounded(3) + 1; k > 0; --k)
                keys += letters[rng.bounded(letters.size())];
            const int op = rng.bounded(16);
            switch (op) {
            case 0: case 1: case 2:   // typing, at a clicked place or on at the caret
                log << QStringLiteral("type %1 at %2").arg(keys).arg(op == 0 ? QString::number(at) : QStringLiteral("caret"));
                if (op == 0)
                    select(at, at);
                oracle.Type(keys);
                buffer.Type(keys);
                break;
            case 3:
                log << QStringLiteral("type %1 over %2+%3").arg(keys).arg(at).arg(span);
                select(at, at + span);
                oracle.Type(keys);
                buffer.Type(keys);
                break;
            case 4:
                log << QStringLiteral("enter at %1").arg(at);
                select(at, at);
                Key(&oracle, Qt::Key_Return);
                buffer.InsertBreak();
                break;
            case 5: case 6: {
                const bool here = rng.bounded(2);
                const int times = rng.bounded(3) + 1;
                log << QStringLiteral("%1 x%2 at %3").arg(op == 5 ? "backspace" : "delete").arg(times).arg(here ? QString::number(at) : QStringLiteral("caret"));
                if (here)
                    select(at, at);
                Key(&oracle, op == 5 ? Qt::Key_Backspace : Qt::Key_Delete, times);
                for (int i = 0; i < times; ++i)
                    op == 5 ? buffer.DeleteBackward() : buffer.DeleteForward();
                break;
            }
            case 7:
                log << QStringLiteral("delete %1+%2").arg(at).arg(span);
                select(at, at + span);
                Key(&oracle, Qt::Key_Delete);
                buffer.DeleteForward();
                break;
            case 8: {
                const QString text = rng.bounded(2) ? QStringLiteral("xy\nz") : QStringLiteral("q");
                log << QStringLiteral("paste %1 at %2+%3").arg(text.size()).arg(at).arg(span);
                select(at, at + span);
                oracle.Paste(text);
                buffer.ReplaceSelection(text);
                break;
            }
            case 9: {
                const OleColor colour = kColours[rng.bounded(3)];
                log << QStringLiteral("colour %1+%2").arg(at).arg(span);
                select(at, at + span);
                oracle.mergeCurrentCharFormat(Oracle::Coloured(colour));
                buffer.ChangeSelectionFormat([colour](CharFormat &f) { f.color = colour; });
                if (span == 0) {
                    log << QStringLiteral("type %1").arg(keys);
                    oracle.Type(keys);
                    buffer.Type(keys);
                }
                break;
            }
            case 10: {
                std::vector<ColorPiece> pieces;
                for (int k = 0; k < 4; ++k) {
                    const int from = rng.bounded(len + 1);
                    pieces.push_back({from, std::min(len, from + rng.bounded(6)), kColours[rng.bounded(3)]});
                }
                // Qt's document records no step for an edit block that
                // changes nothing; the pass is a step all the same.
                if (std::all_of(pieces.begin(), pieces.end(), [](const ColorPiece &r) { return r.start >= r.end; }))
                    break;
                log << QStringLiteral("pass");
                oracle.Paint(pieces);
                buffer.Paint([&pieces](const QString &text, RunList &runs, FormatTable &table) {
                    PaintColorRuns(text, pieces, runs, table);
                });
                break;
            }
            case 11:
                log << QStringLiteral("picture at %1+%2").arg(at).arg(span);
                select(at, at + span);
                oracle.Picture(++pictures);
                buffer.InsertPicture(Picture{});
                break;
            case 12:
                log << QStringLiteral("save");
                oracle.document()->setModified(false);
                buffer.SetModified(false);
                break;
            case 13: case 14:
                log << QStringLiteral("undo");
                undoRedo(true);
                break;
            case 15:
                log << QStringLiteral("redo");
                undoRedo(false);
                break;
            }
            check("step");
            if (QTest::currentTestFailed())
                return;
        }
        for (int undo = 0; oracle.document()->isUndoAvailable(); ++undo) {
            log << QStringLiteral("undo at end");
            undoRedo(true);
            check("unwinding");
            if (QTest::currentTestFailed())
                return;
            QVERIFY(undo < 200);
        }
        while (oracle.document()->isRedoAvailable()) {
            log << QStringLiteral("redo at end");
            undoRedo(false);
            check("rewinding");
            if (QTest::currentTestFailed())
                return;
        }
        if (QTest::currentTestFailed())
            return;
    }
}

QTEST_MAIN(TstEditBufferOracle)
#include "tst_edit_buffer_oracle.moc"
