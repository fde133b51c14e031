#include "highlight.h"
#include "rich_text_box.h"

#include "../support/test_files.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QtTest>

using namespace lumora;

using namespace lumora::testing;

namespace {

ProgramRun Batch(const QStringList &args)
{
    return RunProgram(QStringLiteral(LUMORA_BATCH), args);
}


// The text colour of every character but the line breaks, which show none.
QStringList CharColours(const RichTextBox &box)
{
    QStringList out;
    for (int i = 0; i < box.TextLength(); ++i) {
        if (box.Text()[i] == u'\r' || box.Text()[i] == u'\n')
            continue;
        const QTextCharFormat f = box.FormatAt(i);
        out << (f.hasProperty(QTextFormat::ForegroundBrush) ? f.foreground().color().name() : "-");
    }
    return out;
}

const QByteArray kListing =
    "00401000  /$  55            PUSH EBP\r\n"
    "00401001  |.  8BEC          MOV EBP,ESP\r\n"
    "00401003  |.  8B45 08       MOV EAX,DWORD PTR SS:[EBP+8]\r\n"
    "00401006  |.  E8 F5FFFFFF   CALL <JMP.&USER32.GetDlgItemTextA>     ; \\GetDlgItemTextA\r\n"
    "0040100B  |.  85C0          TEST EAX,EAX\r\n"
    "0040100D  |.^ 74 F1         JE SHORT 00401000\r\n"
    "0040100F  |.  68 00304000   PUSH 00403000                          ; ASCII \"Wrong serial\"\r\n"
    "00401014  \\.  C3            RETN";

} // namespace

class TstBatchHighlight : public QObject
{
    Q_OBJECT
private slots:
    void sameColoursAsTheEditorPass();
    void emptyInputFailsWithTheNotice();
    void missingListsAreCreatedInTheFolder();
    void listsWithoutHighlightIsAUsageError();
};

void TstBatchHighlight::sameColoursAsTheEditorPass()
{
    QTemporaryDir dir;
    QVERIFY(WriteAll(dir.filePath("data-jmp.txt"), "CALL\r\nJE\r\nRETN"));
    QVERIFY(WriteAll(dir.filePath("data-EAX.txt"), "EAX\r\nEBP\r\nESP\r\nSS:"));
    QVERIFY(WriteAll(dir.filePath("data-mov.txt"), "MOV\r\nPUSH"));
    QVERIFY(WriteAll(dir.filePath("data-finda.txt"), "TEST\r\nGetDlgItemText"));
    QVERIFY(WriteAll(dir.filePath("in.txt"), kListing));
    const QString out = dir.filePath("out.rtf");
    const ProgramRun r = Batch({"--highlight", "--lists", dir.path(), dir.filePath("in.txt"), out});
    QCOMPARE(r.exitCode, 0);

    RichTextBox converted, here;
    QString error;
    QVERIFY2(converted.LoadFile(out, &error), qPrintable(error));
    QVERIFY2(here.LoadFile(dir.filePath("in.txt"), &error), qPrintable(error));
    QVERIFY(HighlightEditorText(here, dir.path()));
    QCOMPARE(converted.Text(), here.Text());
    QCOMPARE(CharColours(converted), CharColours(here));
    QVERIFY(CharColours(here).contains(QColor(255, 0, 0).name()));
}

void TstBatchHighlight::emptyInputFailsWithTheNotice()
{
    QTemporaryDir dir;
    QDir().mkdir(dir.filePath("lists"));
    QVERIFY(WriteAll(dir.filePath("empty.txt"), ""));
    const ProgramRun r = Batch({"--highlight", "--lists", dir.filePath("lists"), dir.filePath("empty.txt"),
                         dir.filePath("out.rtf")});
    QVERIFY(r.exitCode > 0);
    QVERIFY2(r.err.contains(QStringLiteral("没有任何内容，请输入汇编代码然后再使用该功能")), qPrintable(r.err));
    QVERIFY(!QFile::exists(dir.filePath("out.rtf")));
    QVERIFY(QDir(dir.filePath("lists")).isEmpty());
}

void TstBatchHighlight::missingListsAreCreatedInTheFolder()
{
    QTemporaryDir dir;
    QDir().mkdir(dir.filePath("lists"));
    QVERIFY(WriteAll(dir.filePath("in.txt"), "NOP"));
    const ProgramRun r = Batch({"--highlight", "--lists", dir.filePath("lists"), dir.filePath("in.txt"),
                         dir.filePath("out.txt")});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(QDir(dir.filePath("lists")).entryList(QDir::Files, QDir::Name),
             (QStringList{"data-EAX.txt", "data-finda.txt", "data-jmp.txt", "data-mov.txt"}));
}

void TstBatchHighlight::listsWithoutHighlightIsAUsageError()
{
    QTemporaryDir dir;
    QVERIFY(WriteAll(dir.filePath("in.txt"), "NOP"));
    const ProgramRun r = Batch({"--lists", dir.path(), dir.filePath("in.txt"), dir.filePath("out.txt")});
    QCOMPARE(r.exitCode, 2);
    QVERIFY(!QFile::exists(dir.filePath("out.txt")));
}

QTEST_MAIN(TstBatchHighlight)
#include "tst_batch_highlight.moc"
