#include "highlight/core/keyword_lists.h"

#include "tests/support/test_files.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using namespace lumora;

using namespace lumora::testing;

class TstKeywordLists : public QObject
{
    Q_OBJECT
private slots:
    void split_data();
    void split();
    void decodesGbkAndKeepsByteOrderMark_data();
    void decodesGbkAndKeepsByteOrderMark();
    void missingFileIsCreatedEmpty();
    void readAfreshEveryTime();
    void unusableFileGivesEmptyList_data();
    void unusableFileGivesEmptyList();
    void fourListsFromTheirFiles();
};

void TstKeywordLists::split_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("entries");
    QTest::newRow("two entries") << "jz\r\njnz" << QStringList{"jz", "jnz"};
    QTest::newRow("final CR LF gives an empty last entry") << "jz\r\njnz\r\n" << QStringList{"jz", "jnz", ""};
    QTest::newRow("lone LF stays inside") << "jz\njnz" << QStringList{"jz\njnz"};
    QTest::newRow("lone CR stays inside") << "jz\rjnz" << QStringList{"jz\rjnz"};
    QTest::newRow("CR CR LF keeps the first CR") << "a\r\r\nb" << QStringList{"a\r", "b"};
    QTest::newRow("LF CR is no separator") << "a\n\rb" << QStringList{"a\n\rb"};
    QTest::newRow("spaces and tabs are kept") << " eax \r\n\tebx" << QStringList{" eax ", "\tebx"};
    QTest::newRow("case and duplicates are kept") << "EAX\r\neax\r\nEAX" << QStringList{"EAX", "eax", "EAX"};
    QTest::newRow("empty text is the empty list") << "" << QStringList{};
    QTest::newRow("n separators give n+1 entries") << "\r\n\r\n" << QStringList{"", "", ""};
    QTest::newRow("empty line in the middle") << "a\r\n\r\nb" << QStringList{"a", "", "b"};
}

void TstKeywordLists::split()
{
    QFETCH(QString, text);
    QFETCH(QStringList, entries);
    QCOMPARE(SplitKeywordText(text), entries);
}

void TstKeywordLists::decodesGbkAndKeepsByteOrderMark_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("entries");
    QTest::newRow("GBK") << QByteArray("\xD6\xD0\xCE\xC4\r\nEAX") << QStringList{QStringLiteral("中文"), "EAX"};
    // Read as GBK, the three bytes of a UTF-8 mark pair up with the first
    // letter: the first entry is no longer "jz".
    QTest::newRow("UTF-8 mark") << QByteArray("\xEF\xBB\xBFjz\r\njnz")
                                << QStringList{QStringLiteral("锘縥z"), "jnz"};
    QTest::newRow("cut-off lead byte") << QByteArray("jz\r\n\x81") << QStringList{"jz", QString(QChar(0xFFFD))};
}

void TstKeywordLists::decodesGbkAndKeepsByteOrderMark()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, entries);
    QTemporaryDir dir;
    QVERIFY(WriteAll(dir.filePath("data-jmp.txt"), bytes));
    QCOMPARE(LoadKeywordList(dir.path(), "data-jmp.txt"), entries);
}

void TstKeywordLists::missingFileIsCreatedEmpty()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("data-finda.txt");
    QVERIFY(!QFile::exists(path));
    QCOMPARE(LoadKeywordList(dir.path(), "data-finda.txt"), QStringList{});
    QVERIFY(QFile::exists(path));
    QCOMPARE(QFileInfo(path).size(), 0);
    // The next load finds it there and reads it like any other.
    QCOMPARE(LoadKeywordList(dir.path(), "data-finda.txt"), QStringList{});
}

void TstKeywordLists::readAfreshEveryTime()
{
    QTemporaryDir dir;
    QVERIFY(WriteAll(dir.filePath("data-mov.txt"), "mov"));
    QCOMPARE(LoadKeywordList(dir.path(), "data-mov.txt"), QStringList{"mov"});
    QVERIFY(WriteAll(dir.filePath("data-mov.txt"), "lea\r\npush"));
    QCOMPARE(LoadKeywordList(dir.path(), "data-mov.txt"), (QStringList{"lea", "push"}));
}

void TstKeywordLists::unusableFileGivesEmptyList_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("folder that does not exist") << "nofolder";
    QTest::newRow("a folder in the file's place") << "directory";
    QTest::newRow("a FIFO in the file's place") << "fifo";
    QTest::newRow("a dangling link in the file's place") << "dangling";
}

void TstKeywordLists::unusableFileGivesEmptyList()
{
    QFETCH(QString, kind);
    QTemporaryDir dir;
    QString folder = dir.path();
    const QString path = dir.filePath("data-EAX.txt");
    if (kind == "nofolder")
        folder = dir.filePath("missing/deeper");
    else if (kind == "directory")
        QVERIFY(QDir().mkdir(path));
    else if (kind == "fifo")
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0644), 0);
    else
        QVERIFY(QFile::link(dir.filePath("elsewhere/target.txt"), path));
    // No blocking, no crash, nothing created elsewhere: just no entries.
    QCOMPARE(LoadKeywordList(folder, "data-EAX.txt"), QStringList{});
    QVERIFY(!QFile::exists(dir.filePath("elsewhere")));
    QVERIFY(!QDir(folder).exists() || kind != "nofolder");
}

void TstKeywordLists::fourListsFromTheirFiles()
{
    QTemporaryDir dir;
    QVERIFY(WriteAll(dir.filePath("data-jmp.txt"), "jmp"));
    QVERIFY(WriteAll(dir.filePath("data-EAX.txt"), "eax"));
    QVERIFY(WriteAll(dir.filePath("data-mov.txt"), "mov"));
    // data-finda.txt missing: created, empty.
    const KeywordLists lists = LoadKeywordLists(dir.path());
    QCOMPARE(lists.jmp, QStringList{"jmp"});
    QCOMPARE(lists.eax, QStringList{"eax"});
    QCOMPARE(lists.mov, QStringList{"mov"});
    QCOMPARE(lists.finda, QStringList{});
    QVERIFY(QFile::exists(dir.filePath("data-finda.txt")));
    // The names are exact, letter case included, and nothing else appears.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files, QDir::Name),
             (QStringList{"data-EAX.txt", "data-finda.txt", "data-jmp.txt", "data-mov.txt"}));
}

QTEST_GUILESS_MAIN(TstKeywordLists)
#include "tst_keyword_lists.moc"
