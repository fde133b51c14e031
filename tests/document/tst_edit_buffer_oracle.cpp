// The edit buffer's undo history and typing formats against the editor they
// replace: a QPlainTextEdit over Qt's own document, driven as the editing
// area drove it (keys for Enter, Backspace and Delete, the cursor for typing
// and pastes, colours as Qt's character formats).  The same random edits go
// to both; after every step, undo and redo the text, every character's
// colour, each paragraph's alignment, the caret and what can be undone must
// agree, and at the end of a round both must undo and redo the same steps.
#include "document/edit_buffer.h"
#include "tests/support/qt_oracle.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace lumora;

namespace {

using Oracle = QtOracle;

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

const OleColor kColours[] = {0x0000FF, 0xFF0000, 0x00C0C0};

// One round: the same edits to both, each checked.
class Round
{
public:
    explicit Round(int round) : m_round(round)
    {
        const QString start = QStringLiteral("mov eax,1\nret\n\nx");
        const QVector<QPair<int, Align>> aligns{{1, Align::Center}, {3, Align::Right}};
        m_oracle.Load(start, aligns, 5);
        Document doc = Document::FromText(QString(start).replace(QLatin1Char('\n'), QLatin1String("\r\n")));
        CharFormat red;
        red.color = 0x0000FF;
        doc.runs.Replace(0, 5, RunList(5, doc.formats.Id(red)));
        doc.aligns = aligns;
        m_buffer.SetDocument(doc);
    }

    // False when the two disagree (the test has failed).
    bool Check(const char *when)
    {
        const QString where = QStringLiteral("round %1, %2: %3").arg(m_round).arg(QLatin1String(when), m_log.join(u"; "));
        const QTextCursor c = m_oracle.textCursor();
        const bool same = m_buffer.Text() == m_oracle.Text() && Colours(m_buffer) == m_oracle.Colours()
            && Aligns(m_buffer) == m_oracle.Aligns() && m_buffer.Caret() == m_oracle.TextPos(c.position())
            && m_buffer.Anchor() == m_oracle.TextPos(c.anchor())
            && m_buffer.CanUndo() == m_oracle.document()->isUndoAvailable()
            && m_buffer.CanRedo() == m_oracle.document()->isRedoAvailable();
        [&] { QVERIFY2(same, qPrintable(where)); }();
        return same;
    }

    void UndoRedo(bool undo)
    {
        m_log << (undo ? QStringLiteral("undo") : QStringLiteral("redo"));
        const QString before = m_oracle.Text();
        QTextDocument *d = m_oracle.document();
        const bool can = undo ? d->isUndoAvailable() : d->isRedoAvailable();
        undo ? m_oracle.undo() : m_oracle.redo();
        undo ? m_buffer.Undo() : m_buffer.Redo();
        // A change of formats alone leaves the selection where it was;
        // Qt's document, holding the colours itself, moves it.
        if (can && m_oracle.Text() == before)
            m_oracle.Select(m_buffer.Anchor(), m_buffer.Caret());
    }

    bool Unwind()
    {
        for (int undo = 0; m_oracle.document()->isUndoAvailable() && undo < 300; ++undo) {
            UndoRedo(true);
            if (!Check("unwinding"))
                return false;
        }
        while (m_oracle.document()->isRedoAvailable()) {
            UndoRedo(false);
            if (!Check("rewinding"))
                return false;
        }
        return true;
    }

    void RandomStep(QRandomGenerator &rng);

private:
    void Select(int anchor, int caret)
    {
        m_buffer.SetSelection(anchor, caret);
        m_oracle.Select(anchor, caret);
    }
    void Type(const QString &keys)
    {
        m_oracle.Type(keys);
        m_buffer.Type(keys);
    }
    void Keys(Qt::Key key, int times)
    {
        for (int i = 0; i < times; ++i)
            QTest::keyClick(&m_oracle, key);
        for (int i = 0; i < times; ++i)
            key == Qt::Key_Backspace ? m_buffer.DeleteBackward()
                : key == Qt::Key_Delete ? m_buffer.DeleteForward() : m_buffer.InsertBreak();
    }
    void Pass(QRandomGenerator &rng);
    void Colour(int at, int span, OleColor colour, const QString &keys);
    void FontDialog(int at, int span, OleColor colour);

    int m_round;
    Oracle m_oracle;
    EditBuffer m_buffer;
    QStringList m_log;
    int m_pictures = 0;
};

void Round::Pass(QRandomGenerator &rng)
{
    const int len = m_buffer.Length();
    std::vector<ColorPiece> pieces;
    for (int k = 0; k < 4; ++k) {
        const int from = rng.bounded(len + 1);
        pieces.push_back({from, std::min(len, from + rng.bounded(6)), kColours[rng.bounded(3)]});
    }
    // Qt's document records no step for an edit block that changes
    // nothing; the pass is a step all the same.
    if (std::all_of(pieces.begin(), pieces.end(), [](const ColorPiece &r) { return r.start >= r.end; }))
        return;
    m_log << QStringLiteral("pass");
    m_oracle.Paint(pieces);
    m_buffer.Paint([&pieces](const QString &text, RunList &runs, FormatTable &table) {
        PaintColorRuns(text, pieces, runs, table);
    });
}

void Round::Colour(int at, int span, OleColor colour, const QString &keys)
{
    m_log << QStringLiteral("colour %1+%2").arg(at).arg(span);
    Select(at, at + span);
    m_oracle.mergeCurrentCharFormat(Oracle::Coloured(colour));
    m_buffer.ChangeSelectionFormat([colour](CharFormat &f) { f.color = colour; });
    if (span == 0) {
        m_log << QStringLiteral("type %1").arg(keys);
        Type(keys);
    }
}

// The font dialog's choices, one change after the other, as one step.
void Round::FontDialog(int at, int span, OleColor colour)
{
    m_log << QStringLiteral("font dialog %1+%2").arg(at).arg(span);
    Select(at, at + span);
    QTextCursor block = m_oracle.textCursor();
    block.beginEditBlock();
    m_buffer.BeginStep();
    for (OleColor c : {colour, OleColor(0x00C0C0)}) {
        m_oracle.mergeCurrentCharFormat(Oracle::Coloured(c));
        m_buffer.ChangeSelectionFormat([c](CharFormat &f) { f.color = c; });
    }
    block.endEditBlock();
    m_buffer.EndStep();
}

void Round::RandomStep(QRandomGenerator &rng)
{
    const QString &text = m_buffer.Text();
    const int len = int(text.size());
    int at = rng.bounded(len + 1), span = rng.bounded(std::min(len - at, 6) + 1);
    if (at > 0 && text[at - 1] == u'\r')
        --at;
    if (at + span > 0 && at + span < len && text[at + span] == u'\n')
        ++span;
    const QString letters = QStringLiteral("ab中 ");
    QString keys;
    for (int k = rng.bounded(3) + 1; k > 0; --k)
        keys += letters[rng.bounded(letters.size())];
    const int op = rng.bounded(17), times = rng.bounded(3) + 1;
    const bool here = rng.bounded(2);
    switch (op) {
    case 0: case 1: case 2:   // typing, at a clicked place or on at the caret
        m_log << QStringLiteral("type %1 at %2").arg(keys).arg(op == 0 ? QString::number(at) : QStringLiteral("caret"));
        if (op == 0)
            Select(at, at);
        Type(keys);
        break;
    case 3:
        m_log << QStringLiteral("type %1 over %2+%3").arg(keys).arg(at).arg(span);
        Select(at, at + span);
        Type(keys);
        break;
    case 4:
        m_log << QStringLiteral("enter at %1").arg(at);
        Select(at, at);
        Keys(Qt::Key_Return, 1);
        break;
    case 5: case 6:
        m_log << QStringLiteral("%1 x%2 at %3").arg(op == 5 ? "backspace" : "delete").arg(times).arg(here ? at : -1);
        if (here)
            Select(at, at);
        Keys(op == 5 ? Qt::Key_Backspace : Qt::Key_Delete, times);
        break;
    case 7:
        m_log << QStringLiteral("delete %1+%2").arg(at).arg(span);
        Select(at, at + span);
        Keys(Qt::Key_Delete, 1);
        break;
    case 8: {
        const QString pasted = here ? QStringLiteral("xy\nz") : QStringLiteral("q");
        m_log << QStringLiteral("paste %1 at %2+%3").arg(pasted.size()).arg(at).arg(span);
        Select(at, at + span);
        m_oracle.Paste(pasted);
        m_buffer.ReplaceSelection(pasted);
        break;
    }
    case 9: Colour(at, span, kColours[rng.bounded(3)], keys); break;
    case 10: Pass(rng); break;
    case 11:
        m_log << QStringLiteral("picture at %1+%2").arg(at).arg(span);
        Select(at, at + span);
        m_oracle.Picture(QStringLiteral("picture-%1").arg(++m_pictures));
        m_buffer.InsertPicture(Picture{});
        break;
    case 12:
        m_log << QStringLiteral("save");
        m_oracle.document()->setModified(false);
        m_buffer.SetModified(false);
        break;
    case 16: FontDialog(at, span, kColours[rng.bounded(3)]); break;
    default: UndoRedo(op != 15); break;
    }
}

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
    for (int round = 0; round < 30 * soak; ++round) {
        Round r(round);
        for (int step = 0; step < 50; ++step) {
            r.RandomStep(rng);
            if (!r.Check("step"))
                return;
        }
        if (!r.Unwind())
            return;
    }
}

QTEST_MAIN(TstEditBufferOracle)
#include "tst_edit_buffer_oracle.moc"
