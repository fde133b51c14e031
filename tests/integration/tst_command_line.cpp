#include "app/command_line.h"
#include "main_window/program.h"
#include "rich_text/rich_text_box.h"
#include "tests/support/test_dialogs.h"
#include "tests/support/test_files.h"

#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>

using namespace lumora;
using namespace lumora::testing;

class TstCommandLine : public QObject
{
    Q_OBJECT
private slots:
    void opensTheFileGiven_data();
    void opensTheFileGiven();
    void answersWithoutStarting_data();
    void answersWithoutStarting();
};

// The editor starts through the same parsing as the program, with the file
// named relative to the current folder, and opens it as File > Open would.
void TstCommandLine::opensTheFileGiven_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");   // null: no such file
    QTest::addColumn<QString>("text");         // null: not opened
    QTest::addColumn<QString>("message");      // a fragment of the one box shown, or null

    const QByteArray gbk = QStringEncoder("GB18030").encode(QStringLiteral("MOV EAX,1\r\n中文"));
    QTest::newRow("GBK text") << "listing.txt" << gbk << QStringLiteral("MOV EAX,1\r\n中文") << QString();
    QTest::newRow("RTF by content, parts left out")
        << "notes.txt" << QByteArray("{\\rtf1 Body{\\footnote See p. 2.}\\par}") << QStringLiteral("Body\r\n")
        << QStringLiteral("此文件中的脚注");
    QTest::newRow("missing file") << "gone.txt" << QByteArray() << QString() << QStringLiteral("gone.txt");
    QTest::newRow("no file") << "" << QByteArray() << QStringLiteral("") << QString();
}

void TstCommandLine::opensTheFileGiven()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QString, text);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    const QString path = QDir(dir.path()).filePath(name);
    if (!content.isNull())
        QVERIFY(WriteAll(path, content));
    QStringList args{QStringLiteral("lumora")};
    if (!name.isEmpty())
        args << name;

    QString file;
    QCOMPARE(ParseEditorCommandLine(args, &file), std::nullopt);
    MessageBoxes boxes;
    Program program;
    MainWindow *window = program.Start(file);
    QCoreApplication::processEvents();
    QDir::setCurrent(before);

    const bool opened = !text.isNull() && !name.isEmpty();
    QCOMPARE(window->windowTitle(), opened ? QStringLiteral("Tesvar论坛专用记事本 - ") + path
                                           : QStringLiteral("Lumora记事本加强版"));
    QCOMPARE(window->CurrentPath(), opened ? path : QString());
    if (!text.isNull())
        QCOMPARE(window->Editor()->Text(), text);
    QCOMPARE(boxes.shown.size(), message.isNull() ? 0 : 1);
    if (!message.isNull())
        QVERIFY2(boxes.shown[0].text.contains(message), qPrintable(boxes.shown[0].text));
}

// --help, --version and a wrong line answer and end before any window;
// Qt's own options still go to Qt.
void TstCommandLine::answersWithoutStarting_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    // Help and version answer in a terminal without a display, as
    // lumora-batch's do (the run has none).
    QTest::newRow("--version") << QStringList{"--version"} << 0 << "lumora 1.0\n" << "";
    QTest::newRow("--help") << QStringList{"--help"} << 0 << "[FILE]" << "";
    QTest::newRow("--version beside Qt's options") << QStringList{"-platform", "offscreen", "-v"} << 0 << "lumora 1.0\n" << "";
    QTest::newRow("two files") << QStringList{"-platform", "offscreen", "a.txt", "b.txt"} << 2 << ""
                               << "lumora: expected at most one file name, got 2";
    QTest::newRow("unknown option") << QStringList{"-platform", "offscreen", "--bogus"} << 2 << ""
                                    << "Unknown option 'bogus'";
}

void TstCommandLine::answersWithoutStarting()
{
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);
    const ProgramRun run = RunProgram(QStringLiteral(LUMORA_EDITOR), args);
    QCOMPARE(run.exitCode, status);
    QVERIFY2(out.isEmpty() ? run.out.isEmpty() : run.out.contains(out), qPrintable(run.out));
    // Qt may warn on stderr about the session; only the error is checked.
    QVERIFY2(run.err.contains(err), qPrintable(run.err));
}

QTEST_MAIN(TstCommandLine)
#include "tst_command_line.moc"
