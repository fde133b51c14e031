#include "highlight/highlight.h"
#include "rich_text/rich_text_box.h"

#include "tests/support/test_files.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
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
    void pageAndForumCodeCarryTheColours_data();
    void pageAndForumCodeCarryTheColours();
    void emptyInputFailsWithTheNotice();
    void missingListsAreCreatedInTheFolder();
    void listsWithoutHighlightIsAUsageError();
};

bool WriteListingAndLists(const QTemporaryDir &dir)
{
    return WriteAll(dir.filePath("data-jmp.txt"), "CALL\r\nJE\r\nRETN")
        && WriteAll(dir.filePath("data-EAX.txt"), "EAX\r\nEBP\r\nESP\r\nSS:")
        && WriteAll(dir.filePath("data-mov.txt"), "MOV\r\nPUSH")
        && WriteAll(dir.filePath("data-finda.txt"), "TEST\r\nGetDlgItemText") && WriteAll(dir.filePath("in.txt"), kListing);
}

void TstBatchHighlight::sameColoursAsTheEditorPass()
{
    QTemporaryDir dir;
    QVERIFY(WriteListingAndLists(dir));
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

void TstBatchHighlight::pageAndForumCodeCarryTheColours_data()
{
    QTest::addColumn<QString>("input");      // in.txt, plain.rtf or coloured.rtf
    QTest::addColumn<QString>("output");
    QTest::addColumn<bool>("highlight");
    QTest::newRow("text to page") << "in.txt" << "out.html" << true;
    QTest::newRow("rtf to page") << "plain.rtf" << "out.htm" << true;
    QTest::newRow("coloured rtf to page") << "coloured.rtf" << "out.html" << false;
    QTest::newRow("text to forum code") << "in.txt" << "out.bbcode" << true;
    QTest::newRow("rtf to forum code") << "plain.rtf" << "out.bbcode" << true;
    QTest::newRow("coloured rtf to forum code") << "coloured.rtf" << "out.bbcode" << false;
}

// Two lines of the listing as each format writes them, whatever face and
// size an RTF input adds.
void TstBatchHighlight::pageAndForumCodeCarryTheColours()
{
    QFETCH(QString, input);
    QFETCH(QString, output);
    QFETCH(bool, highlight);
    QTemporaryDir dir;
    QVERIFY(WriteListingAndLists(dir));
    QCOMPARE(Batch({dir.filePath("in.txt"), dir.filePath("plain.rtf")}).exitCode, 0);
    QCOMPARE(Batch({"--highlight", "--lists", dir.path(), dir.filePath("in.txt"), dir.filePath("coloured.rtf")}).exitCode, 0);
    QStringList args{dir.filePath(input), dir.filePath(output)};
    if (highlight)
        args = QStringList{"--highlight", "--lists", dir.path()} + args;
    const ProgramRun r = Batch(args);
    QCOMPARE(r.exitCode, 0);
    QString written = QString::fromUtf8(ReadAll(dir.filePath(output)));

    const bool page = !output.endsWith(QLatin1String(".bbcode"));
    if (page) {
        // Each class written out as its rule's style; blanks that a span
        // takes along (they show no colour) moved behind it.
        static const QRegularExpression rule(QStringLiteral("\n\\.([a-z]+)\\{([^}]*)\\}"));
        for (auto it = rule.globalMatch(written.left(written.indexOf(QLatin1String("<pre>")))); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            written.replace("<span class=" + m.captured(1) + '>', "<span style=\"" + m.captured(2) + "\">");
        }
        written.replace(QRegularExpression(QStringLiteral("([ \t\n]+)</span>")), QStringLiteral("</span>\\1"));
    }
    const auto in = [page](const char *rrggbb, const QString &text) {
        return page ? QStringLiteral("<span style=\"color:#%1;[^\"]*\">%2</span>").arg(QString::fromLatin1(rrggbb).toLower(), text)
                    : QStringLiteral("\\[color=#%1\\]%2\\[/color\\]").arg(QLatin1String(rrggbb), text);
    };
    const QString movLine = in("C0C000", "MOV") + ' ' + in("FF0000", "EAX") + ",DWORD PTR " + in("FF0000", "SS:")
                          + in("FF00FF", "\\[EBP\\+8") + "\\]";
    const QString callLine = in("0000FF", "CALL") + (page ? " &lt;JMP\\.&amp;USER32\\." : " <JMP\\.&USER32\\.")
                           + in("800080", "GetDlgItemText") + (page ? "A&gt;" : "A>") + " +"
                           + in("C0C0FF", "; \\\\GetDlgItemTextA") + (page ? "\n" : "\r\n");
    for (const QString &line : {movLine, callLine})
        QVERIFY2(QRegularExpression(line).match(written).hasMatch(), qPrintable(line + "\nnot in\n" + written));
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
