// Whole-file reading and writing: the reason given for a path that cannot be
// used, targets that must not be waited on, and what a save keeps of the
// file it replaces.
#include "document/document_files.h"
#include "document/document_io.h"
#include "document/text_codec.h"
#include "document/file_paths.h"
#include "document/rtf_reader.h"
#include "tests/support/test_files.h"

#include <QtTest>
#include <chrono>
#include <fcntl.h>
#include <future>
#include <csignal>
#include <dirent.h>
#include <sys/resource.h>
#include <sys/xattr.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace lumora;
using namespace lumora::testing;

namespace {

QByteArray Native(const QString &path)
{
    return QFile::encodeName(path);
}

// An access control list granting user 65534 reading, as the kernel stores it.
const QByteArray kAcl = QByteArray::fromHex("0200000001000600ffffffff02000400feff000004000400ffffffff"
                                            "10000400ffffffff20000400ffffffff");

QByteArray Attribute(const QString &path, const char *name)
{
    QByteArray value(256, '\0');
    const ssize_t n = ::getxattr(Native(path).constData(), name, value.data(), size_t(value.size()));
    return n < 0 ? QByteArray("(none)") : value.left(n);
}

} // namespace

class TstDocumentFiles : public QObject
{
    Q_OBJECT
private slots:
    void badPaths_data();
    void badPaths();
    void pipeIsRefusedWithoutWaiting();
    void deviceIsWrittenInPlace();
    void keepsOwnerGroupAndMode();
    void refusesWhatCouldNotBeOpenedAgain_data();
    void refusesWhatCouldNotBeOpenedAgain();
    void bigRtfIsRefusedBeforeReading();
    void readsToTheEndWhateverTheSizeSaid_data();
    void readsToTheEndWhateverTheSizeSaid();
    void saveKeepsTheFileItself_data();
    void saveKeepsTheFileItself();
    void failedInPlaceWriteRestoresTheOldContent();
    void nameThatIsNotUtf8();
    void bigTextGoesIntoTheStoreWhole_data();
    void bigTextGoesIntoTheStoreWhole();
};

void TstDocumentFiles::badPaths_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("symbolic link loop") << QStringLiteral("loop") << QStringLiteral("符号链接");
    QTest::newRow("path over 4096 bytes") << QStringLiteral("long path") << QStringLiteral("太长");
    QTest::newRow("name over 255 bytes") << QStringLiteral("long name") << QStringLiteral("太长");
}

// Neither Open nor Save calls these "file not found" or "folder missing",
// and a save replaces nothing.
void TstDocumentFiles::badPaths()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    QString path;
    if (kind == QLatin1String("loop")) {
        path = dir.filePath(QStringLiteral("a.txt"));
        QCOMPARE(::symlink("b.txt", Native(path).constData()), 0);
        QCOMPARE(::symlink("a.txt", Native(dir.filePath(QStringLiteral("b.txt"))).constData()), 0);
    } else if (kind == QLatin1String("long path")) {
        path = dir.path();
        while (Native(path).size() <= 4096)
            path += QLatin1Char('/') + QString(200, QLatin1Char('d'));
        path += QStringLiteral("/a.txt");
    } else {
        path = dir.filePath(QString(300, QLatin1Char('n')));
    }
    QByteArray bytes;
    QString error;
    QVERIFY(!ReadFileBytes(path, &bytes, &error));
    QVERIFY2(error.contains(reason), qPrintable(error));
    error.clear();
    QVERIFY(!WriteFileAtomically(path, "new", &error));
    QVERIFY2(error.contains(reason), qPrintable(error));
    const QStringList expected = kind == QLatin1String("loop") ? QStringList{QStringLiteral("a.txt"), QStringLiteral("b.txt")}
                                                               : QStringList();
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot),
             expected);
    QVERIFY(kind != QLatin1String("loop") || QFileInfo(path).isSymLink());
}

void TstDocumentFiles::pipeIsRefusedWithoutWaiting()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("fifo"));
    QCOMPARE(::mkfifo(Native(path).constData(), 0600), 0);
    QString error;
    auto save = std::async(std::launch::async, [&] { return WriteFileAtomically(path, "data", &error); });
    if (save.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        // Read the pipe so that the stuck save ends and the test can.
        const int fd = ::open(Native(path).constData(), O_RDONLY);
        save.wait();
        ::close(fd);
        QFAIL("the save waited for a reader of the pipe");
    }
    QVERIFY(!save.get());
    QVERIFY2(error.contains(QStringLiteral("管道")), qPrintable(error));
    struct stat st;
    QVERIFY(::lstat(Native(path).constData(), &st) == 0 && S_ISFIFO(st.st_mode));
}

void TstDocumentFiles::deviceIsWrittenInPlace()
{
    QString error;
    QVERIFY2(WriteFileAtomically(QStringLiteral("/dev/null"), "text\r\n", &error), qPrintable(error));
    struct stat st;
    QVERIFY(::stat("/dev/null", &st) == 0 && S_ISCHR(st.st_mode));
}

void TstDocumentFiles::keepsOwnerGroupAndMode()
{
    if (::geteuid() != 0)
        QSKIP("only root may save a file that belongs to another user");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("notes.txt"));
    QVERIFY(WriteAll(path, "old"));
    QCOMPARE(::chown(Native(path).constData(), 65534, 65534), 0);
    QCOMPARE(::chmod(Native(path).constData(), 0640), 0);
    QString error;
    QVERIFY2(WriteFileAtomically(path, "new", &error), qPrintable(error));
    struct stat st;
    QCOMPARE(::stat(Native(path).constData(), &st), 0);
    QCOMPARE(st.st_uid, uid_t(65534));
    QCOMPARE(st.st_gid, gid_t(65534));
    QCOMPARE(st.st_mode & 07777, mode_t(0640));
    QCOMPARE(ReadAll(path), QByteArray("new"));
}

void TstDocumentFiles::bigTextGoesIntoTheStoreWhole_data()
{
    // Files of several megabytes: their bytes go back to the system while
    // they are decoded, and none may go before it was read.
    const QString line = QStringLiteral("mov eax, 1 ; 注释 ");
    QString text;
    for (int i = 0; text.size() < 3 * 1024 * 1024; ++i)
        text += line + QString::number(i) + QStringLiteral("\r\n");
    QTest::addColumn<QByteArray>("bytes");
    QStringEncoder gbk("GB18030");
    QTest::newRow("GBK") << QByteArray(gbk.encode(text));
    QTest::newRow("UTF-8") << text.toUtf8();
    QByteArray utf16("\xFF\xFE");
    utf16.append(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    QTest::newRow("UTF-16") << utf16;
}

void TstDocumentFiles::bigTextGoesIntoTheStoreWhole()
{
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.txt"));
    QVERIFY(WriteAll(path, bytes));
    QString expected, error;
    QVERIFY(DecodeTextFile(bytes, &expected, &error));
    Document doc;
    TextStore store;
    bool rtf = true;
    QVERIFY2(ReadDocumentFile(path, &doc, &store, &error, {}, &rtf), qPrintable(error));
    QVERIFY(!rtf);
    QVERIFY(store.Text() == expected);
}

QTEST_GUILESS_MAIN(TstDocumentFiles)
// A save that the program could not open again is no save: it is refused
// and the old file stays.  The limit is lowered here; the real ones are
// 1 GiB for text and 2 GiB for RTF.
void TstDocumentFiles::refusesWhatCouldNotBeOpenedAgain_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<bool>("saved");
    QTest::addColumn<bool>("inPieces");   // handed over five bytes at a time, as a long RTF is
    QTest::newRow("text at the limit") << QByteArray("0123456789abcdef") << true << false;
    QTest::newRow("text one byte over") << QByteArray("0123456789abcdefg") << false << false;
    QTest::newRow("in pieces, at the limit") << QByteArray("0123456789abcdef") << true << true;
    QTest::newRow("in pieces, one byte over") << QByteArray("0123456789abcdefg") << false << true;
}

void TstDocumentFiles::refusesWhatCouldNotBeOpenedAgain()
{
    QFETCH(QByteArray, data);
    QFETCH(bool, saved);
    QFETCH(bool, inPieces);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("notes.txt"));
    QVERIFY(WriteAll(path, "old"));
    QString error;
    const DocumentPieces pieces = [&data](const std::function<bool(QByteArrayView)> &put) {
        for (qsizetype at = 0; at < data.size(); at += 5) {
            if (!put(QByteArrayView(data).sliced(at, std::min<qsizetype>(5, data.size() - at))))
                return false;
        }
        return true;
    };
    QCOMPARE(inPieces ? WriteDocumentPieces(path, pieces, 16, &error) : WriteDocumentBytes(path, data, &error, 16),
             saved);
    QCOMPARE(ReadAll(path), saved ? data : QByteArray("old"));
    if (!saved)
        QVERIFY2(error.contains(path) && error.contains(QStringLiteral("打不开")), qPrintable(error));
}

void TstDocumentFiles::bigRtfIsRefusedBeforeReading()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("huge.rtf"));
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("{\\rtf1 ") == 7);
        QVERIFY(f.resize(kMaxRtfFileBytes + 1));   // sparse: takes no disk space
    }
    QByteArray bytes;
    QString error;
    QVERIFY(!ReadFileBytes(path, &bytes, &error));
    QVERIFY2(error.contains(QStringLiteral("文件太大")), qPrintable(error));
    QVERIFY(bytes.isEmpty());
}

// A kernel file says it is empty; a log grows while it is read.  Both are
// read to their end.
void TstDocumentFiles::readsToTheEndWhateverTheSizeSaid_data()
{
    QTest::addColumn<bool>("growing");
    QTest::newRow("/proc/self/maps, size 0") << false;
    QTest::newRow("file that grows while read") << true;
}

void TstDocumentFiles::readsToTheEndWhateverTheSizeSaid()
{
    QFETCH(bool, growing);
    QTemporaryDir dir;
    QString path = QStringLiteral("/proc/self/maps");
    const QByteArray start(9 * 1024 * 1024, 'x');   // more than one piece: the read yields in between
    Progress yield;
    if (growing) {
        path = dir.filePath(QStringLiteral("log.txt"));
        QVERIFY(WriteAll(path, start));
        yield = [&, added = false](qint64, qint64) mutable {
            QFile f(path);
            added = added || (f.open(QIODevice::Append) && f.write("the end\n") == 8);
            return added;
        };
    }
    QByteArray bytes;
    QString error;
    QVERIFY2(ReadFileBytes(path, &bytes, &error, yield), qPrintable(error));
    if (growing)
        QCOMPARE(bytes.mid(start.size()), QByteArray("the end\n"));
    else
        QVERIFY2(bytes.contains("[stack]") && bytes.endsWith('\n'), bytes.constData());
}

// What the file is besides its content stays: its attributes, its other
// names, and the file itself where only the folder refuses a new one.
void TstDocumentFiles::saveKeepsTheFileItself_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("user attribute") << "user.test";
    QTest::newRow("access control list") << "system.posix_acl_access";
    QTest::newRow("second hard link") << "link";
    QTest::newRow("writable file, folder closed to the user") << "closed folder";
    QTest::newRow("another's writable file in a sticky folder") << "sticky folder";
}

void TstDocumentFiles::saveKeepsTheFileItself()
{
    QFETCH(QString, kind);
    const bool closed = kind.endsWith(QLatin1String("folder"));
    // Attributes need the build tree's file system (/tmp may be a tmpfs
    // without user attributes); a save as another user needs folders that
    // user can pass through, which the build tree's need not be.
    QTemporaryDir dir((closed ? QDir::tempPath() : QCoreApplication::applicationDirPath())
                      + QStringLiteral("/save-XXXXXX"));
    const QString path = dir.filePath(QStringLiteral("notes.txt"));
    const QString other = dir.filePath(QStringLiteral("other.txt"));
    QVERIFY(WriteAll(path, "old"));
    const QByteArray attr = kind.toLatin1();
    const QByteArray value = kind == QLatin1String("user.test") ? QByteArray("kept") : kAcl;
    if (kind.contains(QLatin1Char('.'))
        && ::setxattr(Native(path).constData(), attr.constData(), value.constData(), size_t(value.size()), 0) != 0)
        QSKIP("the file system here keeps no such attribute");
    if (kind == QLatin1String("link"))
        QCOMPARE(::link(Native(path).constData(), Native(other).constData()), 0);
    struct stat before;
    QCOMPARE(::stat(Native(path).constData(), &before), 0);
    // Root passes any folder's permissions: the save runs as nobody then.
    const bool asNobody = closed && ::geteuid() == 0;
    if (kind == QLatin1String("sticky folder") && !asNobody)
        QSKIP("needs a file of another user: run as root");
    if (closed) {
        QCOMPARE(::chmod(Native(path).constData(), 0666), 0);
        QCOMPARE(::chmod(Native(dir.path()).constData(), kind.startsWith(QLatin1String("sticky")) ? 01777 : 0555), 0);
    }
    QVERIFY(!asNobody || ::seteuid(65534) == 0);
    QString error;
    const bool saved = WriteFileAtomically(path, "new", &error);
    QVERIFY(!asNobody || ::seteuid(0) == 0);
    if (closed)
        QCOMPARE(::chmod(Native(dir.path()).constData(), 0755), 0);
    QVERIFY2(saved, qPrintable(error));
    QCOMPARE(ReadAll(path), QByteArray("new"));
    if (kind.contains(QLatin1Char('.')))
        QCOMPARE(Attribute(path, attr.constData()), value);
    struct stat after;
    QCOMPARE(::stat(Native(path).constData(), &after), 0);
    if (!kind.contains(QLatin1Char('.'))) {
        QCOMPARE(after.st_ino, before.st_ino);
        QCOMPARE(after.st_nlink, before.st_nlink);
    }
    if (kind == QLatin1String("link"))
        QCOMPARE(ReadAll(other), QByteArray("new"));
}

// Written in place (a second name keeps the file from being replaced), the
// save runs into the file size limit halfway: the old content goes back and
// the message says so.
void TstDocumentFiles::failedInPlaceWriteRestoresTheOldContent()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("notes.txt"));
    QVERIFY(WriteAll(path, "old content"));
    QCOMPARE(::link(Native(path).constData(), Native(dir.filePath(QStringLiteral("other.txt"))).constData()), 0);
    struct rlimit was;
    QCOMPARE(::getrlimit(RLIMIT_FSIZE, &was), 0);
    const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = was;
    small.rlim_cur = 64 * 1024;
    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
    QString error;
    const bool saved = WriteFileAtomically(path, QByteArray(256 * 1024, 'n'), &error);
    ::setrlimit(RLIMIT_FSIZE, &was);
    std::signal(SIGXFSZ, oldSignal);
    QVERIFY(!saved);
    QCOMPARE(ReadAll(path), QByteArray("old content"));
    QVERIFY2(error.contains(QStringLiteral("原来的内容已经写回")), qPrintable(error));
}


// A GBK name (测试.txt) is read and saved as that very file; nothing is
// written under the name Qt would make of it.
void TstDocumentFiles::nameThatIsNotUtf8()
{
    QTemporaryDir dir;
    const QByteArray native = Native(dir.path()) + "/\xB2\xE2\xCA\xD4.txt";
    const QString path = DecodeArgument(native);
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    QVERIFY(fd >= 0 && ::write(fd, "old", 3) == 3 && ::close(fd) == 0);
    QByteArray bytes;
    QString error;
    QVERIFY2(ReadFileBytes(path, &bytes, &error), qPrintable(error));
    QCOMPARE(bytes, QByteArray("old"));
    QVERIFY2(WriteFileAtomically(path, "new", &error), qPrintable(error));
    QByteArray names;
    DIR *d = ::opendir(Native(dir.path()).constData());
    while (const dirent *e = ::readdir(d))
        names += QByteArray(e->d_name) + ' ';
    ::closedir(d);
    QCOMPARE(names.split(' ').size(), 4);   // ".", ".." and the one file, then the end
    QVERIFY(ReadFileBytes(path, &bytes, &error));
    QCOMPARE(bytes, QByteArray("new"));
    // Through a link with a plain name, the same file is saved.
    QVERIFY(::symlink(native.constData(), Native(dir.filePath(QStringLiteral("link.txt"))).constData()) == 0);
    QVERIFY2(WriteFileAtomically(dir.filePath(QStringLiteral("link.txt")), "linked", &error), qPrintable(error));
    QVERIFY(ReadFileBytes(path, &bytes, &error));
    QCOMPARE(bytes, QByteArray("linked"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("link.txt")});
    QCOMPARE(::unlink(native.constData()), 0);   // QTemporaryDir would not see it
}

#include "tst_document_files.moc"
