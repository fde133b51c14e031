#include "document/case_fold.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace lumora;

class TstCaseFold : public QObject
{
    Q_OBJECT
private slots:
    void longSearchOverOneCharacter_data();
    void longSearchOverOneCharacter();
    void sameAsSearchingTheFoldedText();
};

// A search that almost matches everywhere: a search comparing the needle
// afresh at each position takes text × needle steps (minutes for the larger
// rows), a linear one milliseconds; the test's time limit catches a relapse.
void TstCaseFold::longSearchOverOneCharacter_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("needle");
    QTest::addColumn<int>("found");
    const QString run(2000000, u'A');
    QTest::newRow("longest search the find box takes, no match")
        << run << QString(32765, u'a') + u'b' << -1;
    QTest::newRow("longest search the find box takes, at the end")
        << run + u'B' << QString(32765, u'a') + u'b' << 2000001 - 32766;
    QTest::newRow("a million-unit search over four million")
        << QString(4000000, u'a') + u'B' << QString(1000000, u'A').toLower() + u'b' << 3000000;
}

void TstCaseFold::longSearchOverOneCharacter()
{
    QFETCH(QString, text);
    QFETCH(QString, needle);
    QFETCH(int, found);
    QCOMPARE(FoldedIndexOf(text, needle), found);
}

// Texts and needles over a few letters in both cases, pairs and lone
// surrogates, so that partial matches overlap in every way; the answer must
// be that of a plain search in the folded copy.
void TstCaseFold::sameAsSearchingTheFoldedText()
{
    const QString letters = QStringLiteral("aAbB") + QString::fromUcs4(U"\U00010400\U00010428") + QChar(0xD801);
    QRandomGenerator rng(17);
    auto pick = [&](int length) {
        QString s;
        for (int i = 0; i < length; ++i)
            s += letters[int(rng.bounded(letters.size()))];
        return s;
    };
    for (int round = 0; round < 20000; ++round) {
        const QString text = pick(int(rng.bounded(40)));
        const QString needle = FoldCase(pick(1 + int(rng.bounded(6))));
        const int from = int(rng.bounded(-2, 42));
        const qsizetype expected = from < 0 ? -1 : FoldCase(text).indexOf(needle, from);
        if (FoldedIndexOf(text, needle, from) != expected)
            QFAIL(qPrintable(QStringLiteral("text %1, needle %2, from %3: %4, expected %5")
                                 .arg(QString::fromLatin1(text.toUtf8().toHex()), QString::fromLatin1(needle.toUtf8().toHex()))
                                 .arg(from).arg(FoldedIndexOf(text, needle, from)).arg(expected)));
    }
}

QTEST_GUILESS_MAIN(TstCaseFold)
#include "tst_case_fold.moc"
