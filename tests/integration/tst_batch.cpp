#include "tests/support/test_files.h"

#include <QFile>
#include <QProcess>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace lumora::testing;

namespace {

ProgramRun Batch(const QStringList &args)
{
    return RunProgram(QStringLiteral(LUMORA_BATCH), args);
}

// Names as the system's bytes; QDir would read them as UTF-8.
QList<QByteArray> RawNames(const QByteArray &folder)
{
    QList<QByteArray> names;
    if (DIR *d = ::opendir(folder.constData())) {
        while (const dirent *e = ::readdir(d))
            if (qstrcmp(e->d_name, ".") != 0 && qstrcmp(e->d_name, "..") != 0)
                names << QByteArray(e->d_name);
        ::closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// A temporary folder that goes with everything in it, whatever the names.
struct RawFolder
{
    QByteArray path = QFile::encodeName(QDir::tempPath()) + "/tst_batch-XXXXXX";
    RawFolder() { ::mkdtemp(path.data()); }
    ~RawFolder() { Remove(path); }
    static void Remove(const QByteArray &p)
    {
        for (const QByteArray &n : RawNames(p))
            if (::unlink((p + '/' + n).constData()) != 0)
                Remove(p + '/' + n);
        ::rmdir(p.constData());
    }
};

// QProcess passes arguments as UTF-8; this passes them byte for byte.
// Returns the exit status, or -1 when the program did not end in a minute.
int RunWithBytes(const QList<QByteArray> &args)
{
    QList<QByteArray> all{QByteArrayLiteral(LUMORA_BATCH)};
    all += args;
    std::vector<char *> argv;
    for (QByteArray &a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    int status = 0;
    QDeadlineTimer deadline(60000);
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (deadline.hasExpired()) {
            ::kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        QThread::msleep(20);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}


} // namespace

class TstBatch : public QObject
{
    Q_OBJECT
private slots:
    void textToRtfAndBack();
    void outputFormatByName_data();
    void outputFormatByName();
    void failuresLeaveOutputUntouched_data();
    void failuresLeaveOutputUntouched();
    void usage_data();
    void usage();
    void namesThatAreNotUtf8();
    void tellsWhatWasLeftOut();
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

// RTF goes by the name's last three characters, as Save / Save As decide;
// the page and forum code by their endings; anything else is GBK text.
void TstBatch::outputFormatByName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("start");
    QTest::addColumn<bool>("whole");   // start is the whole file
    const QByteArray rtf = "{\\rtf", page = "<!DOCTYPE html>", text = "abc\r\n";
    QTest::newRow("x.rtf") << "x.rtf" << rtf << false;
    QTest::newRow("x.RTF") << "x.RTF" << rtf << false;
    QTest::newRow("xrtf") << "xrtf" << rtf << false;
    QTest::newRow("x.html.rtf") << "x.html.rtf" << rtf << false;
    QTest::newRow("x.html") << "x.html" << page << false;
    QTest::newRow("x.HTM") << "x.HTM" << page << false;
    QTest::newRow("x.bbcode") << "x.bbcode" << QByteArray("abc") << true;
    QTest::newRow("x.BBCode") << "x.BBCode" << QByteArray("abc") << true;
    QTest::newRow("xhtml") << "xhtml" << text << true;
    QTest::newRow("x.htmlx") << "x.htmlx" << text << true;
    QTest::newRow("x.txt") << "x.txt" << text << true;
    QTest::newRow("x") << "x" << text << true;
}

void TstBatch::outputFormatByName()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, start);
    QFETCH(bool, whole);
    QTemporaryDir dir;
    QVERIFY(WriteAll(dir.filePath(QStringLiteral("in.txt")), "abc"));
    QCOMPARE(Batch({dir.filePath(QStringLiteral("in.txt")), dir.filePath(name)}).exitCode, 0);
    const QByteArray out = ReadAll(dir.filePath(name));
    QVERIFY2(whole ? out == start : out.startsWith(start), out.left(40).constData());
}

void TstBatch::failuresLeaveOutputUntouched_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("mentions");
    QTest::addColumn<QString>("lists");   // with --highlight --lists, when given
    QTest::newRow("missing input") << "missing.txt" << "out.txt" << "missing.txt" << "";
    QTest::newRow("unreadable rtf") << "bad.rtf" << "out.txt" << "bad.rtf" << "";
    QTest::newRow("output folder missing") << "in.txt" << "no/such/out.txt" << "no/such/out.txt" << "";
    QTest::newRow("output is a folder") << "in.txt" << "folder" << "folder" << "";
    QTest::newRow("lists folder missing") << "in.txt" << "out.txt" << "lsits”：文件夹不存在" << "lsits";
    QTest::newRow("lists folder is a file") << "in.txt" << "out.txt" << "bad.rtf”：这不是文件夹" << "bad.rtf";
}

void TstBatch::failuresLeaveOutputUntouched()
{
    QFETCH(QString, input);
    QFETCH(QString, output);
    QFETCH(QString, mentions);
    QFETCH(QString, lists);
    QTemporaryDir dir;
    QVERIFY(WriteAll(dir.filePath(QStringLiteral("in.txt")), "abc"));
    QVERIFY(WriteAll(dir.filePath(QStringLiteral("bad.rtf")), "{\\rtf"));
    QVERIFY(WriteAll(dir.filePath(QStringLiteral("out.txt")), "old contents"));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    QStringList args{dir.filePath(input), dir.filePath(output)};
    if (!lists.isEmpty())
        args = QStringList{"--highlight", "--lists", dir.filePath(lists)} + args;
    const ProgramRun r = Batch(args);
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.err.contains(mentions), qPrintable(r.err));
    QCOMPARE(ReadAll(dir.filePath(QStringLiteral("out.txt"))), QByteArray("old contents"));
}

// --help and --version answer on stdout; a usage error says what is wrong on
// stderr, with status 2.
void TstBatch::usage_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    QTest::newRow("--help") << QStringList{"--help"} << 0 << "INPUT OUTPUT" << "";
    QTest::newRow("--help names the endings") << QStringList{"--help"} << 0 << "ends in \".html\" or \".htm\"" << "";
    QTest::newRow("--help on forum code") << QStringList{"--help"} << 0 << "when it ends in \".bbcode\"" << "";
    QTest::newRow("--version") << QStringList{"--version"} << 0 << "lumora-batch 1.0" << "";
    QTest::newRow("no file") << QStringList{} << 2 << "" << "INPUT and OUTPUT, got 0";
    QTest::newRow("one file") << QStringList{"only-one"} << 2 << "" << "INPUT and OUTPUT, got 1";
    QTest::newRow("three files") << QStringList{"a", "b", "c"} << 2 << "" << "INPUT and OUTPUT, got 3";
    QTest::newRow("unknown option") << QStringList{"--colour", "a", "b"} << 2 << "" << "Unknown option 'colour'";
    QTest::newRow("Qt's own option") << QStringList{"-platform", "xcb", "a", "b"} << 2 << "" << "Unknown option";
    QTest::newRow("--lists without value") << QStringList{"--highlight", "--lists"} << 2 << "" << "--lists";
}

void TstBatch::usage()
{
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);
    const ProgramRun r = Batch(args);
    QCOMPARE(r.exitCode, status);
    QVERIFY2(out.isEmpty() ? r.out.isEmpty() : r.out.contains(out), qPrintable(r.out));
    QVERIFY2(err.isEmpty() ? !r.err.contains(QLatin1String("lumora-batch:")) : r.err.contains(err), qPrintable(r.err));
}

// Names are the system's bytes, UTF-8 or not: the output appears under
// exactly the bytes given, not with U+FFFD in place of the odd byte.
void TstBatch::namesThatAreNotUtf8()
{
    RawFolder dir;
    const QByteArray at = dir.path + '/';
    const int fd = ::open((at + "in\xff.txt").constData(), O_WRONLY | O_CREAT, 0644);
    QVERIFY(fd >= 0);
    QCOMPARE(::write(fd, "MOV EAX,1", 9), 9);
    ::close(fd);
    QCOMPARE(::mkdir((at + "lists\xfe").constData(), 0755), 0);

    QCOMPARE(RunWithBytes({"--highlight", "--lists", at + "lists\xfe", at + "in\xff.txt", at + "out\xff.rtf"}), 0);
    QCOMPARE(RawNames(dir.path), (QList<QByteArray>{"in\xff.txt", "lists\xfe", "out\xff.rtf"}));
    QCOMPARE(RawNames(at + "lists\xfe").size(), 4);
    QFile out;
    const int outFd = ::open((at + "out\xff.rtf").constData(), O_RDONLY);
    QVERIFY(out.open(outFd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle));
    QVERIFY(out.readAll().startsWith("{\\rtf"));

    // The format goes by the name given, not by the stand-in written first.
    QCOMPARE(RunWithBytes({at + "in\xff.txt", at + "out\xff.html"}), 0);
    QFile page;
    QVERIFY(page.open(::open((at + "out\xff.html").constData(), O_RDONLY), QIODevice::ReadOnly,
                      QFileDevice::AutoCloseHandle));
    QVERIFY(page.readAll().startsWith("<!DOCTYPE html>"));

    QCOMPARE(RunWithBytes({at + "in\xff.txt", at + "no such folder\xff/x.txt"}), 1);
    QCOMPARE(RawNames(dir.path).size(), 4);   // no stand-in left behind
}

// Parts of the input the document does not keep are named on stderr; the
// conversion still counts as done.
void TstBatch::tellsWhatWasLeftOut()
{
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("in.rtf"));
    QVERIFY(WriteAll(in, "{\\rtf1 Text{\\*\\annotation Check.}{\\footerr Page}\\par}"));
    const ProgramRun run = Batch({in, dir.filePath(QStringLiteral("out.txt"))});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.err, QStringLiteral("lumora-batch: 此文件中的页脚和批注未被读入，保存时不会包含它们。\n"));
    QCOMPARE(ReadAll(dir.filePath(QStringLiteral("out.txt"))), QByteArray("Text\r\n\r\n"));
}

QTEST_GUILESS_MAIN(TstBatch)
#include "tst_batch.moc"
