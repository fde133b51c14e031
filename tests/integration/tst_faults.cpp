// Faults that must lose nothing: saving where it cannot succeed, files that
// change under the editor, odd files opened, a read-only program folder.
#include "document/document_files.h"
#include "main_window/main_window.h"
#include "highlight/highlight.h"
#include "main_window/program.h"
#include "rich_text/rich_text_box.h"
#include "tests/support/test_dialogs.h"

#include "tests/support/test_files.h"

#include <QAction>
#include <QFile>
#include <QMenuBar>
#include <QProgressDialog>
#include "shared_ui/secondary_window.h"
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>
#include <cstring>
#include <sys/mount.h>
#include <sys/stat.h>

using namespace lumora;
using namespace lumora::testing;

namespace {

// A small file system of its own (tmpfs), for a full disk or a read-only
// folder.  Needs the right to mount; tests skip without it.
class TinyFs
{
public:
    explicit TinyFs(const QString &options)
    {
        m_path = m_dir.filePath(QStringLiteral("fs"));
        QDir().mkpath(m_path);
        m_mounted = ::mount("tmpfs", QFile::encodeName(m_path).constData(), "tmpfs", 0,
                            options.toLatin1().constData()) == 0;
        if (!m_mounted)
            m_why = QString::fromLocal8Bit(std::strerror(errno));
    }
    ~TinyFs()
    {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_path).constData(), MNT_DETACH);
    }
    bool Mounted() const { return m_mounted; }
    QString Why() const { return m_why; }
    QString Path(const QString &name) const { return m_path + QLatin1Char('/') + name; }
    QString Root() const { return m_path; }
    bool MakeReadOnly()
    {
        return ::mount(nullptr, QFile::encodeName(m_path).constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }

private:
    QTemporaryDir m_dir;
    QString m_path;
    QString m_why;
    bool m_mounted = false;
};

} // namespace

class TstFaults : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void readOnlyFolder();
    void fullDisk();
    void folderDeletedUnderTheEditor();
    void fileReplacedByFolder();
    void fileDeletedIsWrittenAgain();
    void oddFiles_data();
    void oddFiles();
    void tooLargeIsRefusedBeforeReading();
    void pipeIsRefusedWithoutBlocking();
    void readOnlyProgramFolder();
    void closeWhileLoading();

private:
    void Open(const QString &path);
    void Trigger(const char *item) { m_form->MenuItem(QString::fromLatin1(item))->trigger(); }

    Program *m_program = nullptr;
    MainWindow *m_form = nullptr;
    RichTextBox *m_box = nullptr;
    ScriptedDialogs *m_dialogs = nullptr;
};

void TstFaults::init()
{
    m_program = new Program;
    m_form = m_program->Start();
    m_box = m_form->Editor();
    m_dialogs = Script(*m_form->Dialog());
}

void TstFaults::cleanup()
{
    delete m_program;
}

void TstFaults::Open(const QString &path)
{
    m_dialogs->open = ScriptedDialogs::Choose(path);
    Trigger("open");
    QCOMPARE(m_form->CurrentPath(), path);
}

void TstFaults::readOnlyFolder()
{
    TinyFs fs(QStringLiteral("size=1m"));
    if (!fs.Mounted())
        QSKIP(qPrintable(QStringLiteral("cannot mount a tmpfs here: ") + fs.Why()));
    QVERIFY(WriteAll(fs.Path(QStringLiteral("notes.txt")), "old notes"));
    QVERIFY(fs.MakeReadOnly());
    Open(fs.Path(QStringLiteral("notes.txt")));
    m_box->SetSelText(QStringLiteral("new "));
    const QString before = m_box->Text();
    MessageBoxes boxes;
    Trigger("save");
    m_dialogs->save = ScriptedDialogs::Choose(fs.Path(QStringLiteral("other")), 1);
    Trigger("saveas");
    QCOMPARE(boxes.shown.size(), 2);
    for (const MsgRequest &r : boxes.shown) {
        QCOMPARE(r.title, QStringLiteral("提示"));
        QVERIFY2(r.text.contains(QStringLiteral("没有写入权限")), qPrintable(r.text));
    }
    QCOMPARE(ReadAll(fs.Path(QStringLiteral("notes.txt"))), QByteArray("old notes"));
    QCOMPARE(QDir(fs.Root()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("notes.txt")});
    QCOMPARE(m_box->Text(), before);
}

void TstFaults::fullDisk()
{
    TinyFs fs(QStringLiteral("size=64k"));
    if (!fs.Mounted())
        QSKIP(qPrintable(QStringLiteral("cannot mount a tmpfs here: ") + fs.Why()));
    const QByteArray old(20000, 'o');
    QVERIFY(WriteAll(fs.Path(QStringLiteral("a.txt")), old));
    Open(fs.Path(QStringLiteral("a.txt")));
    m_box->SetPlainText(QString(200000, QLatin1Char('x')));
    MessageBoxes boxes;
    Trigger("save");
    m_dialogs->save = ScriptedDialogs::Choose(fs.Path(QStringLiteral("b")), 1);
    Trigger("saveas");
    QCOMPARE(boxes.shown.size(), 2);
    for (const MsgRequest &r : boxes.shown)
        QVERIFY2(r.text.contains(QStringLiteral("磁盘空间不足")), qPrintable(r.text));
    QCOMPARE(ReadAll(fs.Path(QStringLiteral("a.txt"))), old);
    // No half-written temporary file is left behind either.
    QCOMPARE(QDir(fs.Root()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("a.txt")});
    QCOMPARE(m_box->TextLength(), 200000);
}

void TstFaults::folderDeletedUnderTheEditor()
{
    auto dir = std::make_unique<QTemporaryDir>();
    const QString path = dir->filePath(QStringLiteral("a.txt"));
    QVERIFY(WriteAll(path, "abc"));
    Open(path);
    dir.reset();   // the folder goes away while the editor runs
    MessageBoxes boxes;
    Trigger("save");
    QCOMPARE(boxes.shown.size(), 1);
    QVERIFY2(boxes.shown[0].text.contains(QStringLiteral("文件夹不存在")), qPrintable(boxes.shown[0].text));
    QCOMPARE(m_box->Text(), QStringLiteral("abc"));
    QCOMPARE(m_form->CurrentPath(), path);
}

void TstFaults::fileReplacedByFolder()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.txt"));
    QVERIFY(WriteAll(path, "abc"));
    Open(path);
    QVERIFY(QFile::remove(path));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("a.txt")));
    MessageBoxes boxes;
    Trigger("save");
    QCOMPARE(boxes.shown.size(), 1);
    QVERIFY2(boxes.shown[0].text.contains(QStringLiteral("文件夹")), qPrintable(boxes.shown[0].text));
    QVERIFY(QFileInfo(path).isDir());
    QCOMPARE(m_box->Text(), QStringLiteral("abc"));
}

void TstFaults::fileDeletedIsWrittenAgain()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.txt"));
    QVERIFY(WriteAll(path, "abc"));
    Open(path);
    QVERIFY(QFile::remove(path));
    MessageBoxes boxes;
    Trigger("save");
    QCOMPARE(boxes.shown.size(), 0);
    // Written back as the text file it was opened as, one CR LF longer.
    QCOMPARE(ReadAll(path), QByteArray("abc\r\n"));
}

void TstFaults::oddFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("loads");
    QByteArray binary;
    for (int i = 0; i < 4096; ++i)
        binary += char((i * 7919) & 0xFF);
    QTest::newRow("empty") << QByteArray() << true;
    QTest::newRow("binary") << binary << true;
    QTest::newRow("NULs") << QByteArray(1000, '\0') << true;
    QTest::newRow("truncated rtf") << QByteArray("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 hello {\\b wor") << true;
    QTest::newRow("rtf that yields nothing") << QByteArray("{\\rtf1{\\*\\unknown") << false;
    QTest::newRow("truncated hex picture") << QByteArray("{\\rtf1 a{\\pict\\pngblip 89504e47") << true;
}

void TstFaults::oddFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, loads);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("odd"));
    QVERIFY(WriteAll(path, bytes));
    m_box->SetPlainText(QStringLiteral("before"));
    QString error;
    QCOMPARE(m_box->LoadFile(path, &error), loads);
    if (!loads) {
        QVERIFY(error.contains(path));
        QCOMPARE(m_box->Text(), QStringLiteral("before"));
    }
}

void TstFaults::tooLargeIsRefusedBeforeReading()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("huge.txt"));
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QVERIFY(f.resize(kMaxDocumentFileBytes + 1));   // sparse: takes no disk space
    }
    m_box->SetPlainText(QStringLiteral("before"));
    QString error;
    QVERIFY(!m_box->LoadFile(path, &error));
    QVERIFY2(error.contains(QStringLiteral("文件太大")), qPrintable(error));
    QCOMPARE(m_box->Text(), QStringLiteral("before"));
}

void TstFaults::pipeIsRefusedWithoutBlocking()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("fifo"));
    QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    QString error;
    QVERIFY(!m_box->LoadFile(path, &error));   // would block forever if it opened the pipe
    QVERIFY(error.contains(path));
}

// A program folder nobody may write: the pass goes on with the lists it can
// read and creates nothing.
void TstFaults::readOnlyProgramFolder()
{
    TinyFs fs(QStringLiteral("size=64k"));
    if (!fs.Mounted())
        QSKIP(qPrintable(QStringLiteral("cannot mount a tmpfs here: ") + fs.Why()));
    QVERIFY(WriteAll(fs.Path(QStringLiteral("data-EAX.txt")), "eax"));
    QVERIFY(fs.MakeReadOnly());
    m_box->SetPlainText(QStringLiteral("mov eax, 1 ; x"));
    QVERIFY(HighlightEditorText(*m_box, fs.Root()));
    QCOMPARE(QDir(fs.Root()).entryList(QDir::Files), QStringList{QStringLiteral("data-EAX.txt")});
    QCOMPARE(m_box->FormatAt(4).foreground().color(), QColor(255, 0, 0));   // inside "eax"
    QCOMPARE(m_box->FormatAt(12).foreground().color(), QColor(192, 192, 255));   // inside the comment
}


// Closing the main window while a long file goes in: the load is given up
// and the window closes, with no crash; the calculator, opened before, stays.
// The file goes in fast now, so the close comes at the first look the load
// gives the window, progress window shown or not.
void TstFaults::closeWhileLoading()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.txt"));
    QVERIFY(WriteAll(path, QByteArray("00401000  MOV EAX,DWORD PTR DS:[ECX+4]   ; load\r\n").repeated(600000)));
    m_program->Calculator().Show();
    QPointer<MainWindow> form(m_form);
    m_dialogs->open = ScriptedDialogs::Choose(path);
    bool closedDuringLoad = false;
    QTimer poll;
    connect(&poll, &QTimer::timeout, form, [&] {
        if (form->Editor()->IsLoading()) {
            closedDuringLoad = true;
            poll.stop();
            form->close();
        }
    });
    poll.start(10);
    // From the event loop, as a click on the menu would run it.
    QTimer::singleShot(0, form, [this] { Trigger("open"); });
    QTRY_VERIFY_WITH_TIMEOUT(form.isNull(), 30000);
    QVERIFY(closedDuringLoad);
    QCOMPARE(m_program->Main(), nullptr);
    QVERIFY(m_program->Calculator().Window() && m_program->Calculator().Window()->isVisible());
}

QTEST_MAIN(TstFaults)
#include "tst_faults.moc"
