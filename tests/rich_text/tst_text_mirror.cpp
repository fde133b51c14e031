#include "rich_text/text_mirror.h"

#include "document/case_fold.h"

#include <QRandomGenerator>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QtTest>

using lumora::TextMirror;

namespace {

// The text as the editor's positions count it, built the slow obvious way.
QString Reference(const QTextDocument &doc)
{
    QString s = doc.toRawText();
    // toRawText keeps U+2029 between paragraphs and U+2028 inside them.
    s.replace(QChar::ParagraphSeparator, QLatin1String("\r\n"));
    s.replace(QChar::LineSeparator, QLatin1Char('\v'));
    return s;
}

} // namespace

class TstTextMirror : public QObject
{
    Q_OBJECT
private slots:
    void crlfText();
    void mapping_data();
    void mapping();
    void fold_data();
    void fold();
    void randomEditsMatchRebuild();
    void missedSignalIsCaught();
};

void TstTextMirror::crlfText()
{
    QTextDocument doc;
    TextMirror m(&doc);
    QCOMPARE(m.Text(), QString());
    doc.setPlainText(QStringLiteral("中文\n第二行\n\nabc"));
    QCOMPARE(m.Text(), QStringLiteral("中文\r\n第二行\r\n\r\nabc"));
    QCOMPARE(m.Length(), 2 + 2 + 3 + 2 + 2 + 3);
}

void TstTextMirror::mapping_data()
{
    QTest::addColumn<int>("textPos");
    QTest::addColumn<int>("down");
    QTest::addColumn<int>("up");
    // "ab\r\n\r\ncd": a0 b1 CR2 LF3 CR4 LF5 c6 d7; doc: a0 b1 sep2 sep3 c4 d5
    QTest::newRow("start") << 0 << 0 << 0;
    QTest::newRow("before CR") << 2 << 2 << 2;
    QTest::newRow("on LF") << 3 << 2 << 3;
    QTest::newRow("empty line CR") << 4 << 3 << 3;
    QTest::newRow("empty line LF") << 5 << 3 << 4;
    QTest::newRow("next line") << 6 << 4 << 4;
    QTest::newRow("end") << 8 << 6 << 6;
    QTest::newRow("past end clamps") << 99 << 6 << 6;
    QTest::newRow("negative clamps") << -5 << 0 << 0;
}

void TstTextMirror::mapping()
{
    QFETCH(int, textPos);
    QFETCH(int, down);
    QFETCH(int, up);
    QTextDocument doc;
    doc.setPlainText(QStringLiteral("ab\n\ncd"));
    TextMirror m(&doc);
    QCOMPARE(m.ToDocPos(textPos, false), down);
    QCOMPARE(m.ToDocPos(textPos, true), up);
    // And back: a document position maps to the CR of its break.
    const int clamped = std::clamp(textPos, 0, m.Length());
    if (clamped != 3 && clamped != 5)
        QCOMPARE(m.ToTextPos(down), clamped);
}

void TstTextMirror::fold_data()
{
    QTest::addColumn<QString>("in");
    QTest::addColumn<QString>("out");
    QTest::newRow("ascii") << QStringLiteral("MOV Eax") << QStringLiteral("mov eax");
    QTest::newRow("chinese unchanged") << QStringLiteral("中文ABC") << QStringLiteral("中文abc");
    QTest::newRow("crlf unchanged") << QStringLiteral("A\r\nB") << QStringLiteral("a\r\nb");
    // Deseret capital long I (U+10400) folds to U+10428, both outside the BMP.
    QTest::newRow("surrogates") << QString::fromUcs4(U"\U00010400x") << QString::fromUcs4(U"\U00010428x");
    QTest::newRow("lone surrogate kept") << QString(QChar(0xD800)) + QLatin1Char('A') << QString(QChar(0xD800)) + QLatin1Char('a');
}

void TstTextMirror::fold()
{
    QFETCH(QString, in);
    QFETCH(QString, out);
    QCOMPARE(lumora::FoldCase(in), out);
    QCOMPARE(lumora::FoldCase(in).size(), in.size());
}

// The mirror patches itself on every change; whatever the edit, it must say
// exactly what a fresh build says.
void TstTextMirror::randomEditsMatchRebuild()
{
    QTextDocument doc;
    TextMirror m(&doc);
    auto *rng = QRandomGenerator::global();
    const QStringList pieces = {QStringLiteral("mov"), QStringLiteral("中文"), QStringLiteral("\n"),
                                QStringLiteral("a\nb"), QStringLiteral("\n\n"), QStringLiteral("x"),
                                QString(QChar::LineSeparator), QStringLiteral("EAX;注释")};
    doc.setPlainText(QStringLiteral("start\nline two\nthree"));
    for (int step = 0; step < 3000; ++step) {
        const int len = doc.characterCount() - 1;
        QTextCursor c(&doc);
        const int a = rng->bounded(len + 1);
        const int b = rng->bounded(len + 1);
        c.setPosition(a);
        c.setPosition(b, QTextCursor::KeepAnchor);
        switch (rng->bounded(9)) {
        case 0: case 1: c.insertText(pieces[rng->bounded(pieces.size())]); break;
        case 2: c.removeSelectedText(); break;
        case 3: c.insertBlock(); break;
        case 4: { QTextCharFormat f; f.setForeground(QColor(rng->bounded(256), 0, 0)); c.mergeCharFormat(f); break; }
        case 5: doc.undo(); break;
        case 6: doc.redo(); break;
        case 7: {
            QTextImageFormat img;
            img.setName(QStringLiteral("pic"));
            c.insertImage(img);
            break;
        }
        case 8:
            if (rng->bounded(20) == 0)
                doc.setPlainText(rng->bounded(2) ? QString() : QStringLiteral("fresh\ntext"));
            else {
                c.beginEditBlock();
                c.insertText(QStringLiteral("q"));
                c.movePosition(QTextCursor::Start);
                c.insertText(QStringLiteral("\n"));
                c.endEditBlock();
            }
            break;
        }
        if (step % 3 == 0) {   // read often, so most changes patch a live mirror
            QCOMPARE(m.Text(), Reference(doc));
            TextMirror fresh(&doc);
            QCOMPARE(m.Raw(), fresh.Raw());
            for (int k = 0; k < 5; ++k) {
                const int p = rng->bounded(m.Length() + 1);
                QCOMPARE(m.ToDocPos(p, false), fresh.ToDocPos(p, false));
                QCOMPARE(m.ToDocPos(p, true), fresh.ToDocPos(p, true));
            }
        }
    }
}

void TstTextMirror::missedSignalIsCaught()
{
    QTextDocument doc;
    doc.setPlainText(QStringLiteral("abc\ndef"));
    TextMirror m(&doc);
    QCOMPARE(m.Text(), QStringLiteral("abc\r\ndef"));
    doc.blockSignals(true);
    QTextCursor(&doc).insertText(QStringLiteral("xx\n"));
    doc.blockSignals(false);
    QCOMPARE(m.Text(), QStringLiteral("xx\r\nabc\r\ndef"));
}

QTEST_MAIN(TstTextMirror)
#include "tst_text_mirror.moc"
