// The editing area keeps its text and colours in a store of its own, with
// its own undo history.  Qt's plain-text editor, colours as character formats
// of its document, is kept here as the oracle: random editing, undo and redo
// must give the same text and every character the same colour in both,
// after every step.
#include "rich_text/rich_text_box.h"
#include "tests/support/qt_oracle.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace lumora;

namespace {

// The oracle driven as the rich-edit operations drive the editing area.
class OracleBox : public QtOracle
{
public:
    void Select(int start, int length)
    {
        const int len = int(Text().size());
        const int s0 = std::clamp(start, 0, len), s1 = std::clamp(s0 + length, s0, len);
        QTextCursor c(document());
        c.setPosition(DocPos(s0, false));
        if (s1 > s0)
            c.setPosition(DocPos(s1, true), QTextCursor::KeepAnchor);
        setTextCursor(c);
    }
    void SetSelText(const QString &t)
    {
        QTextCursor c = textCursor();
        c.beginEditBlock();
        c.insertText(NormalizeLineBreaks(t));
        c.endEditBlock();
        setTextCursor(c);
    }
    void SetSelColor(OleColor color) { mergeCurrentCharFormat(Coloured(color)); }
    void InsertPicture(const QImage &image)
    {
        const QString name = QStringLiteral("picture-%1").arg(++m_pictures);
        document()->addResource(QTextDocument::ImageResource, QUrl(name), image);
        Picture(name, image.size());
    }
    void Undo() { undo(); }
    void Redo() { redo(); }

private:
    int m_pictures = 0;
};

QList<qint64> Colours(const RichTextBox &box)
{
    QList<qint64> out;
    for (int i = 0; i < box.TextLength(); ++i)
        out << OracleBox::Colour(box.FormatAt(i));
    return out;
}

// Key presses carrying the characters, Chinese ones too.
void Type(QWidget *w, const QString &keys)
{
    for (QChar c : keys) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(w, &press);
    }
}

const OleColor kColours[] = {0x0000FF, 0xFF0000, 0x00C0C0, 0x800080};

} // namespace

class TstEditingAreaOracle : public QObject
{
    Q_OBJECT
private slots:
    void randomEditingMatchesColoursInTheDocument();
};

void TstEditingAreaOracle::randomEditingMatchesColoursInTheDocument()
{
    // LUMORA_SOAK=n runs n times as many rounds, from another seed.
    const int soak = std::max(1, qEnvironmentVariableIntValue("LUMORA_SOAK"));
    QRandomGenerator rng(quint32(91 + soak));
    const QString letters = QStringLiteral("ab中 ");
    const int rounds = 40 * soak;
    for (int round = 0; round < rounds; ++round) {
        RichTextBox box;
        OracleBox oracle;
        const QString start = QStringLiteral("mov eax,1\nret\n\nx");
        box.SetSelText(start);
        oracle.SetSelText(start);
        QStringList log;
        for (int step = 0; step < 60; ++step) {
            const int len = box.TextLength();
            const int at = rng.bounded(len + 1), span = rng.bounded(len - at + 1);
            const OleColor colour = kColours[rng.bounded(4)];
            const auto both = [&](auto f) { f(box); f(oracle); };
            switch (rng.bounded(11)) {
            case 10: {
                log << QStringLiteral("picture at %1").arg(at);
                QImage image(3, 2, QImage::Format_RGB32);
                image.fill(Qt::green);
                box.Select(at, 0);
                box.InsertPicture(image);
                oracle.Select(at, 0);
                oracle.InsertPicture(image);
                break;
            }
            case 0: case 1: {   // typing at a clicked place, a few keys
                QString keys;
                for (int k = rng.bounded(3) + 1; k > 0; --k)
                    keys += letters[rng.bounded(letters.size())];
                log << QStringLiteral("type %1 at %2").arg(keys).arg(at);
                both([&](auto &b) { b.Select(at, 0); Type(&b, keys); });
                break;
            }
            case 2:
                log << QStringLiteral("enter at %1").arg(at);
                both([&](auto &b) { b.Select(at, 0); QTest::keyClick(&b, Qt::Key_Return); });
                break;
            case 3:
                log << QStringLiteral("delete %1+%2").arg(at).arg(span);
                both([&](auto &b) { b.Select(at, span); QTest::keyClick(&b, Qt::Key_Delete); });
                break;
            case 4: {
                const QString text = rng.bounded(2) ? QStringLiteral("xy\nz") : QStringLiteral("q");
                log << QStringLiteral("paste at %1+%2").arg(at).arg(span);
                both([&](auto &b) { b.Select(at, span); b.SetSelText(text); });
                break;
            }
            case 5:
                log << QStringLiteral("colour %1+%2").arg(at).arg(span);
                both([&](auto &b) { b.Select(at, span); b.SetSelColor(colour); });
                break;
            case 6:
                log << QStringLiteral("colour then type at %1").arg(at);
                both([&](auto &b) { b.Select(at, 0); b.SetSelColor(colour); Type(&b, QStringLiteral("k")); });
                break;
            case 7: {
                std::vector<ColorPiece> runs;
                for (int k = 0; k < 6; ++k) {
                    const int from = rng.bounded(len + 1);
                    runs.push_back({from, from + rng.bounded(6), kColours[rng.bounded(4)]});
                }
                // The pass is one undo step even where it colours nothing;
                // Qt's document records none for an empty edit block.
                if (std::all_of(runs.begin(), runs.end(), [len](const ColorPiece &r) { return r.start >= std::min(r.end, len); }))
                    break;
                log << QStringLiteral("pass");
                box.PaintFormats([&runs](const QString &text, RunList &formats, FormatTable &table) {
                    PaintColorRuns(text, runs, formats, table);
                });
                oracle.Paint(runs);
                break;
            }
            case 8:
                log << QStringLiteral("undo");
                both([](auto &b) { b.Undo(); });
                break;
            case 9:
                log << QStringLiteral("redo");
                both([](auto &b) { b.Redo(); });
                break;
            }
            const QString where = QStringLiteral("round %1 step %2: %3").arg(round).arg(step).arg(log.join(QStringLiteral("; ")));
            QVERIFY2(box.Text() == oracle.Text(), qPrintable(where));
            QVERIFY2(Colours(box) == oracle.Colours(), qPrintable(where));
        }
    }
}

QTEST_MAIN(TstEditingAreaOracle)
#include "tst_editing_area_oracle.moc"
