#include "../support/test_files.h"

#include <QFile>
#include <QProcess>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>

using namespace lumora::testing;

namespace {

ProgramRun Batch(const QStringList &args)
{
    return RunProgram(QStringLiteral(LUMORA_BATCH), args);
}


} // namespace

class TstBatch : public QObject
{
    Q_OBJECT
private slots:
    void textToRtfAndBack();
    void outputFormatByLastThreeCharacters_data();
    void outputFormatByLastThreeCharacters();
    void failuresLeaveOutputUntouched_data();
    void failuresLeaveOutputUntouched();
    void usage();
};

void TstBatch::textToRtfAndBack()
{
    QTemporaryDir dir;
    const QString txt = dir.filePath(QStringLiteral("in.txt"));
    const QByteArray gbk = QStringEncoder("GB18030").encode(QStringLiteral("00401000  MOV EAX,1 ; 中文注释\r\nRETN"));
    QVERIFY(WriteAll(txt, gbk));
    QCOMPARE(Batch({txt, dir.filePath(QStringLiteral("out.rtf"))}).exitCode, 0);
    QVERIFY(ReadAll(dir.filePath(QStringLiteral("out.rtf"))).startsWith("{\\rtf1"));
    QCOMPARE(Batch({dir.filePath(QStringLiteral("out.rtf")), dir.filePath(QStringLiteral("back.txt"))}).exitCode, 0);
    QCOMPARE(ReadAll(dir.filePath(QStringLiteral("back.txt"))), gbk + "\r\n");
}

void TstBatch::outputFormatByLastThreeCharacters_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("rtf");
    QTest::newRow("x.rtf") << "x.rtf" << true;
    QTest::newRow("x.RTF") << "x.RTF" << true;
    QTest::newRow("xrtf") << "xrtf" << true;
    QTest::newRow("x.txt") << "x.txt" << false;
    QTest::newRow("x") << "x" << false;
}

void TstBatch::outputFormatByLastThreeCharacters()
{
    QFETCH(QString, name);
    QFETCH(bool, rtf);
    QTemporaryDir dir;
    QVERIFY(WriteAll(dir.filePath(QStringLiteral("in.txt")), "abc"));
    QCOMPARE(Batch({dir.filePath(QStringLiteral("in.txt")), dir.filePath(name)}).exitCode, 0);
    const QByteArray out = ReadAll(dir.filePath(name));
    QCOMPARE(out.startsWith("{\\rtf"), rtf);
    if (!rtf)
        QCOMPARE(out, QByteArray("abc\r\n"));
}

void TstBatch::failuresLeaveOutputUntouched_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("mentions");
    QTest::newRow("missing input") << "missing.txt" << "out.txt" << "missing.txt";
    QTest::newRow("unreadable rtf") << "bad.rtf" << "out.txt" << "bad.rtf";
    QTest::newRow("output folder missing") << "in.txt" << "no/such/out.txt" << "no/such/out.txt";
    QTest::newRow("output is a folder") << "in.txt" << "folder" << "folder";
}

void TstBatch::failuresLeaveOutputUntouched()
{
    QFETCH(QString, input);
    QFETCH(QString, output);
    QFETCH(QString, mentions);
    QTemporaryDir dir;
    QVERIFY(WriteAll(dir.filePath(QStringLiteral("in.txt")), "abc"));
    QVERIFY(WriteAll(dir.filePath(QStringLiteral("bad.rtf")), "{\\rtf"));
    QVERIFY(WriteAll(dir.filePath(QStringLiteral("out.txt")), "old contents"));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    const ProgramRun r = Batch({dir.filePath(input), dir.filePath(output)});
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.err.contains(mentions), qPrintable(r.err));
    QCOMPARE(ReadAll(dir.filePath(QStringLiteral("out.txt"))), QByteArray("old contents"));
}

void TstBatch::usage()
{
    QCOMPARE(Batch({}).exitCode, 2);
    QCOMPARE(Batch({QStringLiteral("only-one")}).exitCode, 2);
}

QTEST_GUILESS_MAIN(TstBatch)
#include "tst_batch.moc"
