#include "highlight/highlight.h"
#include "highlight/core/highlight_core.h"
#include "highlight/core/keyword_lists.h"
#include "shared_ui/message_box.h"
#include "rich_text/rich_text_box.h"
#include "document/text_lines.h"
#include "document/rtf_writer.h"
#include "highlight/core/highlight_document.h"

#include <QFile>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

using namespace lumora;

namespace {

// The pass exactly as written step by step: find, select, colour, match
// after match, on the editor itself; an empty entry colours nothing, a ";"
// on the last line colours to the end, a "[" on the last line looks for its
// "]" up to the end.
void StepByStepPass(RichTextBox &box, const KeywordLists &lists)
{
    const QStringList *order[] = {&lists.eax, &lists.jmp, &lists.mov, &lists.finda};
    for (int rule = 0; rule < 4; ++rule) {
        for (const QString &entry : *order[rule]) {
            if (entry.isEmpty())
                continue;
            for (int pos = 0, at; (at = box.Find(entry, pos)) >= 0; pos = at + int(entry.size()))
                box.SetSelColor(kRuleColors[size_t(rule)]);
        }
    }
    for (int pos = 0, open; (open = box.Find("[", pos)) >= 0;) {
        const int lineEnd = box.Find("\r\n", open);
        const int close = box.Find("]", open, lineEnd);
        if (close < 0) {
            pos = open + 1;
            continue;
        }
        box.SetSelStart(open);
        box.SetSelLength(close - open);
        box.SetSelColor(kRuleColors[kRuleBracket]);
        pos = close + 1;
    }
    for (int pos = 0, semi; (semi = box.Find(";", pos)) >= 0;) {
        int lineEnd = box.Find("\r\n", semi);
        if (lineEnd < 0)
            lineEnd = box.TextLength();
        box.SetSelStart(semi);
        box.SetSelLength(lineEnd - semi);
        box.SetSelColor(kRuleColors[kRuleComment]);
        pos = lineEnd + 1;
    }
    box.SetSelStart(0);
}

QString Brush(const QTextFormat &f)
{
    return f.hasProperty(QTextFormat::ForegroundBrush) ? f.foreground().color().name() : QStringLiteral("-");
}

// Every character's text colour, line breaks included.
QStringList Colours(const RichTextBox &box)
{
    QStringList out;
    for (int i = 0; i < box.TextLength(); ++i)
        out << Brush(box.FormatAt(i));
    return out;
}

void WriteLists(const QString &dir, const KeywordLists &lists)
{
    const auto write = [&](const char *name, const QStringList &l) {
        QFile f(dir + '/' + name);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(l.join("\r\n").toLatin1());
    };
    write(kJmpListFile, lists.jmp);
    write(kEaxListFile, lists.eax);
    write(kMovListFile, lists.mov);
    write(kFindaListFile, lists.finda);
}

QString RandomText(QRandomGenerator &rng, int length, const QString &alphabet)
{
    QString t;
    for (int i = 0; i < length; ++i)
        t += (rng.bounded(10) == 0) ? QStringLiteral("\r\n") : QString(alphabet[rng.bounded(int(alphabet.size()))]);
    return t;
}

QStringList RandomEntries(QRandomGenerator &rng, const QString &alphabet)
{
    QStringList out;
    for (int i = rng.bounded(5); i > 0; --i)
        out << RandomText(rng, rng.bounded(4), alphabet).remove("\r\n");
    return out;
}

// Colours a few stretches beforehand, the same in every editor that gets it.
void PreColour(RichTextBox &box, quint32 seed)
{
    QRandomGenerator rng(seed);
    for (int i = 0; i < 3 && box.TextLength() > 0; ++i) {
        box.Select(rng.bounded(box.TextLength()), rng.bounded(8));
        box.SetSelColor(0x00008000);
    }
}

Progress Reporting(int *calls = nullptr)
{
    return [calls](qint64, qint64) {
        if (calls)
            ++*calls;
        return true;
    };
}

struct NoticeLog
{
    QList<MsgRequest> requests;
    NoticeLog()
    {
        SetMsgResponder([this](const MsgRequest &r) {
            requests << r;
            return MsgAnswer::Ok;
        });
    }
    ~NoticeLog() { SetMsgResponder({}); }
};

} // namespace

class TstHighlightPass : public QObject
{
    Q_OBJECT
private slots:
    void randomTextsMatchStepByStep();
    void workedExampleKeepsEarlierColours();
    void undoRemovesThePassInOneStep_data();
    void undoRemovesThePassInOneStep();
    void emptyTextOnlyShowsTheNotice();
    void blankTextRuns();
    void runsTwiceLikeOnce();
    void listsAreReadAtEveryPass();
    void laterListWins();
    void progressRisesToTheEnd();
    void editorGoneMidPass();
    void longTextMatchesTheWholeTextPass();
};

void TstHighlightPass::randomTextsMatchStepByStep()
{
    QRandomGenerator rng(4242);
    const QString alphabet = "aAbE[];x \n";
    for (int round = 0; round < 150; ++round) {
        QTemporaryDir dir;
        KeywordLists lists;
        lists.eax = RandomEntries(rng, "abAE;");
        lists.jmp = RandomEntries(rng, "ab[x");
        lists.mov = RandomEntries(rng, "ab\r\n");
        lists.finda = RandomEntries(rng, alphabet);
        WriteLists(dir.path(), lists);
        const QString text = NormalizeLineBreaks(RandomText(rng, 1 + rng.bounded(200), alphabet));
        RichTextBox expected, actual;
        expected.SetPlainText(text);
        actual.SetPlainText(text);
        PreColour(expected, quint32(round));
        PreColour(actual, quint32(round));
        StepByStepPass(expected, LoadKeywordLists(dir.path()));
        // Every other round reporting progress, as the menu's pass does.
        const bool reporting = round % 2;
        QVERIFY(HighlightEditorText(actual, dir.path(), reporting ? Reporting() : Progress()));
        QVERIFY2(Colours(actual) == Colours(expected), qPrintable(QString("round %1").arg(round)));
        QCOMPARE(actual.SelStart(), 0);
        QCOMPARE(actual.SelLength(), 0);
        QCOMPARE(actual.Text(), expected.Text());
    }
}

void TstHighlightPass::workedExampleKeepsEarlierColours()
{
    QTemporaryDir dir;
    KeywordLists lists;
    lists.eax = {"eax", "ebp"};
    lists.mov = {"mov"};
    WriteLists(dir.path(), lists);
    RichTextBox box;
    box.SetPlainText("mov eax, [ebp+8] ; load\n");
    box.Select(0, box.TextLength());
    box.SetSelColor(0x00008000);
    QVERIFY(HighlightEditorText(box, dir.path()));
    QCOMPARE(box.SelStart(), 0);
    const QString expected = "MMMgRRRggBBBBBBggLLLLLL";
    const QHash<QChar, quint32> colour{{'M', 0x0000C0C0}, {'R', 0x000000FF}, {'B', 0x00FF00FF},
                                       {'L', 0x00FFC0C0}, {'g', 0x00008000}};
    for (int i = 0; i < expected.size(); ++i) {
        box.Select(i, 1);
        QVERIFY2(box.SelColor() == colour[expected[i]], qPrintable(QString("position %1").arg(i)));
    }
}

void TstHighlightPass::undoRemovesThePassInOneStep_data()
{
    QTest::addColumn<bool>("reporting");
    QTest::newRow("at once") << false;
    QTest::newRow("reporting progress") << true;
}

void TstHighlightPass::undoRemovesThePassInOneStep()
{
    QFETCH(bool, reporting);
    QTemporaryDir dir;
    KeywordLists lists;
    lists.eax = {"eax"};
    lists.jmp = {"jnz"};
    WriteLists(dir.path(), lists);
    RichTextBox box;
    // Typed, so that undo has something before the pass to go back to; the
    // first lines colour nothing.
    box.SetSelText("plain\nplain\nmov eax,[ebx] ; x\njnz 401000\nxor eax,eax\n");
    const QString text = box.Text();
    const QStringList before = Colours(box);
    QVERIFY(HighlightEditorText(box, dir.path(), reporting ? Reporting() : Progress()));
    QVERIFY(Colours(box) != before);
    box.Undo();
    QCOMPARE(Colours(box), before);
    QCOMPARE(box.Text(), text);
    box.Undo();
    QCOMPARE(box.Text(), QString());
}

void TstHighlightPass::emptyTextOnlyShowsTheNotice()
{
    QTemporaryDir dir;
    NoticeLog log;
    RichTextBox box;
    QVERIFY(!HighlightEditorText(box, dir.path()));
    HighlightDisassembly(box, dir.path(), nullptr);
    QCOMPARE(log.requests.size(), 1);
    QCOMPARE(log.requests[0].text, QStringLiteral("没有任何内容，请输入汇编代码然后再使用该功能"));
    QCOMPARE(log.requests[0].title, QStringLiteral("提示"));
    QCOMPARE(log.requests[0].buttons, MsgButtons::Ok);
    QVERIFY(QDir(dir.path()).isEmpty());
}

void TstHighlightPass::blankTextRuns()
{
    QTemporaryDir dir;
    NoticeLog log;
    QWidget window;
    RichTextBox *box = new RichTextBox(&window);
    QLineEdit *other = new QLineEdit(&window);
    box->SetPlainText("   \n\t ");
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    other->setFocus();
    box->Select(3, 2);
    HighlightDisassembly(*box, dir.path(), &window);
    QVERIFY(log.requests.isEmpty());
    QCOMPARE(box->SelStart(), 0);
    QCOMPARE(box->SelLength(), 0);
    QTRY_VERIFY(box->hasFocus());
    // The pass read the lists and so created the missing files.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 4);
}

void TstHighlightPass::runsTwiceLikeOnce()
{
    QTemporaryDir dir;
    KeywordLists lists;
    lists.eax = {"eax", "a"};
    lists.finda = {"cmp"};
    WriteLists(dir.path(), lists);
    RichTextBox box;
    box.SetPlainText("cmp eax,[esi] ; a\n[x\nend;");
    QVERIFY(HighlightEditorText(box, dir.path()));
    const QStringList once = Colours(box);
    QVERIFY(HighlightEditorText(box, dir.path()));
    QCOMPARE(Colours(box), once);
}

void TstHighlightPass::listsAreReadAtEveryPass()
{
    QTemporaryDir dir;
    KeywordLists lists;
    lists.eax = {"eax"};
    WriteLists(dir.path(), lists);
    RichTextBox box;
    box.SetPlainText("eax ebx");
    QVERIFY(HighlightEditorText(box, dir.path()));
    box.Select(4, 1);
    QCOMPARE(box.SelColor(), 0u);
    lists.eax = {"ebx"};
    WriteLists(dir.path(), lists);
    QVERIFY(HighlightEditorText(box, dir.path()));
    // The new entry colours; the old colour stays where nothing covers it now.
    box.Select(4, 1);
    QCOMPARE(box.SelColor(), kRuleColors[kRuleEax]);
    box.Select(0, 1);
    QCOMPARE(box.SelColor(), kRuleColors[kRuleEax]);
}

void TstHighlightPass::laterListWins()
{
    QTemporaryDir dir;
    KeywordLists lists;
    lists.eax = {"push"};
    lists.jmp = {"push"};
    lists.mov = {"push"};
    WriteLists(dir.path(), lists);
    RichTextBox box;
    box.SetPlainText("PUSH EBP");
    QVERIFY(HighlightEditorText(box, dir.path()));
    box.Select(0, 4);
    QCOMPARE(box.SelColor(), kRuleColors[kRuleMov]);
}

void TstHighlightPass::progressRisesToTheEnd()
{
    QTemporaryDir dir;
    RichTextBox box;
    box.SetPlainText(QString("mov eax,1 ; one\n").repeated(50));
    QList<int> seen;
    QVERIFY(HighlightEditorText(box, dir.path(), [&](qint64 done, qint64 total) {
        seen << (total > 0 ? int(done * 1000 / total) : 0);
        return true;
    }));
    QVERIFY(seen.size() >= 2);
    QCOMPARE(seen.first(), 0);
    QVERIFY(std::is_sorted(seen.begin(), seen.end()));
    QCOMPARE(seen.last(), 1000);
}

void TstHighlightPass::editorGoneMidPass()
{
    QTemporaryDir dir;
    KeywordLists lists;
    lists.eax = {"eax"};
    WriteLists(dir.path(), lists);
    auto *box = new RichTextBox;
    box->SetPlainText(QString("mov eax,1 ; one\n").repeated(50));
    QPointer<RichTextBox> alive(box);
    int calls = 0;
    // The window goes away while the pass yields: the pass stops there.
    QVERIFY(HighlightEditorText(*box, dir.path(), [&](qint64, qint64) {
        if (++calls == 1)
            delete box;
        return !alive.isNull();
    }));
    QVERIFY(alive.isNull());
    QCOMPARE(calls, 1);
}

QTEST_MAIN(TstHighlightPass)
// Millions of characters go through the pass a piece at a time, the next
// piece worked out on another thread: the colours of the pass on the whole
// text at once, as the batch converter runs it.
void TstHighlightPass::longTextMatchesTheWholeTextPass()
{
    QTemporaryDir dir;
    KeywordLists lists;
    lists.eax = {"eax", "ebp"};
    lists.jmp = {"jmp", "call"};
    lists.mov = {"mov"};
    lists.finda = {"getdlgitemtexta"};
    WriteLists(dir.path(), lists);
    QString text;
    for (int i = 0; text.size() < 2600000; ++i)
        text += QStringLiteral("%1 mov eax, [ebp+%2] ; jmp %3\r\ncall GetDlgItemTextA [x\r\n").arg(i).arg(i % 97).arg(i % 13);
    Document doc = Document::FromText(text);
    QVERIFY(HighlightDocument(doc, dir.path()));
    RichTextBox box;
    box.SetPlainText(text);
    QVERIFY(HighlightEditorText(box, dir.path(), Reporting()));
    QVERIFY(box.TextRTF() == WriteRtf(doc));
}

#include "tst_highlight_pass.moc"
