// The edit buffer's reports of what changed, replayed onto a copy kept by
// them alone, and what one press of Backspace or Delete takes away.
#include "document/edit_buffer.h"
#include "document/edit_history.h"

#include <QRandomGenerator>
#include <numeric>
#include <QtTest>

using namespace lumora;

namespace {

// The text and paragraph lengths a display keeps, following the reports.
struct Mirror
{
    QString text;
    std::vector<int> paragraphs{0};

    void Apply(const EditBuffer &b, const EditBuffer::Change &c)
    {
        if (c.formatsOnly) {
            QCOMPARE(c.added, c.removed);
        } else {
            text.replace(c.pos, c.removed, b.Store().Text(c.pos, c.added));
        }
        QVERIFY(c.firstParagraph >= 0 && c.firstParagraph + c.oldParagraphs <= int(paragraphs.size()));
        auto at = paragraphs.erase(paragraphs.begin() + c.firstParagraph,
                                   paragraphs.begin() + c.firstParagraph + c.oldParagraphs);
        std::vector<int> now;
        for (int p = c.firstParagraph; p < c.firstParagraph + c.newParagraphs; ++p)
            now.push_back(b.Store().ParagraphEnd(p) - b.Store().ParagraphStart(p));
        paragraphs.insert(at, now.begin(), now.end());
    }
    std::vector<int> Of(const EditBuffer &b) const
    {
        std::vector<int> out;
        for (int p = 0; p < b.ParagraphCount(); ++p)
            out.push_back(b.Store().ParagraphEnd(p) - b.Store().ParagraphStart(p));
        return out;
    }
};

} // namespace

class TstEditBuffer : public QObject
{
    Q_OBJECT
private slots:
    void reportsReplayedMatchTheText();
    void passUndoneAfterEditsUndone();
    void passByParagraphsMatchesWholePass_data();
    void passByParagraphsMatchesWholePass();
    void originsMatchAPlainArray();
    void oneKeyTakesOneCharacter_data();
    void oneKeyTakesOneCharacter();
};

void TstEditBuffer::reportsReplayedMatchTheText()
{
    QRandomGenerator rng(5);
    EditBuffer b;
    Mirror m;
    b.SetListener([&](const EditBuffer::Change &c) { m.Apply(b, c); });
    b.SetDocument(Document::FromText(QStringLiteral("one\r\ntwo\r\n\r\nthree")));
    const QStringList pieces{QStringLiteral("x"), QStringLiteral("\r\n"), QStringLiteral("a\nb\r\nc"), QStringLiteral("\n")};
    for (int step = 0; step < 3000; ++step) {
        const int len = b.Length();
        const int at = rng.bounded(len + 1);
        b.SetSelection(at, std::min(len, at + rng.bounded(8)));
        switch (rng.bounded(9)) {
        case 0: b.Type(pieces[rng.bounded(pieces.size())]); break;
        case 1: b.InsertBreak(); break;
        case 2: b.DeleteBackward(); break;
        case 3: b.DeleteForward(); break;
        case 4: b.ReplaceSelection(pieces[rng.bounded(pieces.size())]); break;
        case 5: b.InsertPicture(Picture{}); break;
        case 6: b.ChangeSelectionFormat([](CharFormat &f) { f.bold = !f.bold; }); break;
        case 7: b.Undo(); break;
        case 8: b.Redo(); break;
        }
        QVERIFY2(m.text == b.Store().Text(), qPrintable(QString::number(step)));
        QVERIFY2(m.paragraphs == m.Of(b), qPrintable(QString::number(step)));
        if (QTest::currentTestFailed())
            return;
    }
}

// Undo of a colouring pass trades the formats back chunk by chunk; edits
// made and undone in between cut the chunks anew, and the trade must still
// give every character its format.
void TstEditBuffer::passUndoneAfterEditsUndone()
{
    EditBuffer b;
    b.SetDocument(Document::FromText(QStringLiteral("abc\r\n").repeated(3000)));
    const auto paint = [&b](int colour) {
        b.Paint([colour](const QString &text, RunList &runs, FormatTable &formats) {
            CharFormat f;
            f.color = OleColor(colour);
            runs = RunList();
            for (int i = 0; i < text.size(); i += 5)
                runs.Append(std::min(5, int(text.size()) - i), i % 2 ? formats.Id(f) : 0);
        });
    };
    const auto formats = [&b] { return b.Store().Runs(); };
    const RunList plain = formats();
    paint(0xFF);
    const RunList painted = formats();
    QVERIFY(painted != plain);
    // Two replacements that leave the chunks cut otherwise when undone.
    b.SetSelection(2808, 2808 + 5155);
    b.Type(QString(2186, u'x'));
    b.SetSelection(8469, 8469 + 4381);
    b.Type(QString(2659, u'y'));
    b.Undo();
    b.Undo();
    QCOMPARE(formats(), painted);
    b.Undo();
    QCOMPARE(formats(), plain);
    b.Redo();
    QCOMPARE(formats(), painted);
}

void TstEditBuffer::passByParagraphsMatchesWholePass_data()
{
    QTest::addColumn<int>("pieceChars");
    QTest::addColumn<int>("abandonAt");   // the piece whose painter says no; -1: none
    QTest::newRow("a paragraph a piece") << 1 << -1;
    QTest::newRow("pieces across chunks") << 3000 << -1;
    QTest::newRow("abandoned halfway") << 3000 << 3;
}

// A pass given piece by piece: whole paragraphs each time, and the same
// formats, the same one undo step, as the pass given the whole text.
void TstEditBuffer::passByParagraphsMatchesWholePass()
{
    QFETCH(int, pieceChars);
    QFETCH(int, abandonAt);
    const QString text = QStringLiteral("abc x\r\nxx\r\n\r\n长 x").repeated(700) + QStringLiteral("end x");
    // Every x red: a painter that can be given any stretch of whole paragraphs.
    const auto colour = [](const QString &t, RunList &runs, FormatTable &formats) {
        CharFormat red;
        red.color = 0xFF;
        runs = RunList();
        for (QChar c : t)
            runs.Append(1, c == u'x' ? formats.Id(red) : 0);
    };
    EditBuffer whole;
    whole.SetDocument(Document::FromText(text));
    whole.Paint(colour);
    EditBuffer b;
    b.SetDocument(Document::FromText(text));
    const RunList plain = b.Store().Runs();
    QString seen;
    int pieces = 0;
    QStringList early;   // each piece but the first, handed ahead before the one before it is painted
    const bool done = b.PaintByParagraphs(
        [&](const QString &t, RunList &runs, FormatTable &formats) {
            if (pieces++ == abandonAt)
                return false;
            if (pieces > 1 && (early.size() < pieces - 1 || early[pieces - 2] != t))
                return false;
            seen += t;
            if (!(t.endsWith(QStringLiteral("\r\n")) || seen.size() == text.size()))
                return false;
            colour(t, runs, formats);
            return true;
        },
        pieceChars, [&early](const QString &next) { early << next; });
    QCOMPARE(done, abandonAt < 0);
    if (!done) {
        QCOMPARE(b.Store().Runs(), plain);
        QVERIFY(!b.CanUndo());
        return;
    }
    QCOMPARE(seen, text);
    QCOMPARE(b.Store().Runs(), whole.Store().Runs());
    b.Undo();
    QCOMPARE(b.Store().Runs(), plain);
    QVERIFY(!b.CanUndo());
}

// The origin numbers, kept in blocks of runs, against one number a
// character; enough edits to fill, split and empty many blocks.
void TstEditBuffer::originsMatchAPlainArray()
{
    QRandomGenerator rng(11);
    OriginList list;
    list.Reset(5000);
    std::vector<int> plain(5000);
    std::iota(plain.begin(), plain.end(), 0);
    int next = 5000;
    for (int step = 0; step < 20000; ++step) {
        const int len = int(plain.size());
        const int pos = rng.bounded(len + 1);
        const int removed = rng.bounded(std::min(len - pos, step % 97 == 0 ? 3000 : 3) + 1);
        const int added = rng.bounded(4);
        plain.erase(plain.begin() + pos, plain.begin() + pos + removed);
        for (int i = 0; i < added; ++i)
            plain.insert(plain.begin() + pos + i, next + i);
        list.Replace(pos, removed, added ? std::vector<OriginList::Run>{{added, next}} : std::vector<OriginList::Run>{});
        next += added + 1;
        if (step % 500 != 0 && step != 19999)
            continue;
        QCOMPARE(list.Length(), int(plain.size()));
        std::vector<int> got;
        for (const OriginList::Run &r : list.Slice(0, list.Length())) {
            const int from = int(got.size());
            for (int i = from; i < r.end; ++i)
                got.push_back(r.start + (i - from));
        }
        QVERIFY2(got == plain, qPrintable(QString::number(step)));
    }
}

void TstEditBuffer::oneKeyTakesOneCharacter_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    QTest::addColumn<bool>("backward");
    QTest::addColumn<QString>("left");
    const QString pair = QString::fromUcs4(U"\U0001F600");
    QTest::newRow("backspace: surrogate pair") << QStringLiteral("a") + pair << 3 << true << QStringLiteral("a");
    QTest::newRow("delete: surrogate pair") << pair + QStringLiteral("b") << 0 << false << QStringLiteral("b");
    QTest::newRow("backspace: a break") << QStringLiteral("a\r\nb") << 3 << true << QStringLiteral("ab");
    QTest::newRow("delete: a break") << QStringLiteral("a\r\nb") << 1 << false << QStringLiteral("ab");
    QTest::newRow("delete: a letter with its mark") << QStringLiteral("e\u0301x") << 0 << false << QStringLiteral("x");
    QTest::newRow("backspace: a picture") << QStringLiteral("a\uFFFCb") << 2 << true << QStringLiteral("ab");
}

void TstEditBuffer::oneKeyTakesOneCharacter()
{
    QFETCH(QString, text);
    QFETCH(int, caret);
    QFETCH(bool, backward);
    QFETCH(QString, left);
    EditBuffer b;
    b.SetDocument(Document::FromText(text));
    b.SetSelection(caret, caret);
    backward ? b.DeleteBackward() : b.DeleteForward();
    QCOMPARE(b.Text(), left);
    b.Undo();
    QCOMPARE(b.Text(), text);
}

QTEST_GUILESS_MAIN(TstEditBuffer)
#include "tst_edit_buffer.moc"
