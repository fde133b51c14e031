#include "main_window/main_window.h"
#include "main_window/program.h"
#include "document/document_files.h"
#include "rich_text/rich_text_box.h"
#include "tests/support/test_dialogs.h"

#include "tests/support/test_files.h"

#include <QAction>
#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>

using namespace lumora;
using namespace lumora::testing;

namespace {

const QString kProduct = QStringLiteral("Lumora记事本加强版");
const QString kPrefix = QStringLiteral("Tesvar论坛专用记事本 - ");

QByteArray Gbk(const QString &s)
{
    return QStringEncoder("GB18030").encode(s);
}

} // namespace

class TstDocumentCommands : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void saveAsNaming_data();
    void saveAsNaming();
    void textFileIsGbkPlusCrLf();
    void charactersOutsideGbkSurvive();
    void openSetsTitleAndCurpath();
    void saveKeepsTheKindOpened_data();
    void saveKeepsTheKindOpened();
    void closeAsksAboutChanges_data();
    void closeAsksAboutChanges();
    void openAsksAboutChanges_data();
    void openAsksAboutChanges();
    void openTellsWhatWasLeftOut();
    void newForgetsTheOpenedFile();
    void saveRepaintsUnderTheBusyPointer();
    void saveAsLeavesTitleAndCurpath();
    void saveWithoutOpenAsksEveryTime();
    void newAlwaysAsks();
    void newYesEmptiesEverything();
    void newNoKeepsDocument();
    void cancelOpenChangesNothing();
    void cancelSaveAsWritesNothing();
    void openFailure_data();
    void openFailure();
    void saveFailure_data();
    void saveFailure();
    void fullDevice();
    void openLineBreaks_data();
    void openLineBreaks();

private:
    void Trigger(const char *item) { m_form->MenuItem(QString::fromLatin1(item))->trigger(); }
    QString Path(const QString &name) const { return m_dir->filePath(name); }

    Program *m_program = nullptr;
    MainWindow *m_form = nullptr;
    RichTextBox *m_box = nullptr;
    ScriptedDialogs *m_dialogs = nullptr;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TstDocumentCommands::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_program = new Program;
    m_form = m_program->Start();
    m_box = m_form->Editor();
    m_dialogs = Script(*m_form->Dialog());
}

void TstDocumentCommands::cleanup()
{
    delete m_program;
    m_dir.reset();
}

void TstDocumentCommands::saveAsNaming_data()
{
    QTest::addColumn<int>("filterIndex");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("written");
    QTest::addColumn<bool>("rtf");
    QTest::newRow("notes") << 1 << "notes" << "notes.TXT" << false;
    QTest::newRow("notes.txt") << 1 << "notes.txt" << "notes.txt" << false;
    QTest::newRow("notes.Txt") << 1 << "notes.Txt" << "notes.Txt" << false;
    QTest::newRow("notestxt") << 1 << "notestxt" << "notestxt" << false;
    QTest::newRow("notes.rtf as text") << 1 << "notes.rtf" << "notes.rtf.TXT" << false;
    QTest::newRow("report") << 2 << "report" << "report.RTF" << true;
    QTest::newRow("report.rtf") << 2 << "report.rtf" << "report.rtf" << true;
    QTest::newRow("reportRtF") << 2 << "reportRtF" << "reportRtF" << true;
    QTest::newRow("report.txt as rtf") << 2 << "report.txt" << "report.txt.RTF" << true;
    QTest::newRow("other index is text") << 7 << "x" << "x.TXT" << false;
}

void TstDocumentCommands::saveAsNaming()
{
    QFETCH(int, filterIndex);
    QFETCH(QString, name);
    QFETCH(QString, written);
    QFETCH(bool, rtf);
    m_box->SetPlainText(QStringLiteral("mov eax, 1"));
    m_dialogs->save = ScriptedDialogs::Choose(Path(name), qint16(filterIndex));
    Trigger("saveas");
    QCOMPARE(m_dialogs->filtersSeen.value(0), QStringLiteral("文本文件(*.txt)|*.txt |RTF文件(*.rtf)|*.rtf"));
    const QStringList files = QDir(m_dir->path()).entryList(QDir::Files);
    QCOMPARE(files, QStringList{written});
    const QByteArray bytes = ReadAll(Path(written));
    QCOMPARE(bytes.startsWith("{\\rtf"), rtf);
    if (!rtf)
        QCOMPARE(bytes, QByteArray("mov eax, 1\r\n"));
}

void TstDocumentCommands::textFileIsGbkPlusCrLf()
{
    m_box->SetPlainText(QStringLiteral("第一行\n\n二 ; 注释"));
    m_dialogs->save = ScriptedDialogs::Choose(Path(QStringLiteral("a.txt")), 1);
    Trigger("saveas");
    QCOMPARE(ReadAll(Path(QStringLiteral("a.txt"))), Gbk(QStringLiteral("第一行\r\n\r\n二 ; 注释\r\n")));
}

void TstDocumentCommands::charactersOutsideGbkSurvive()
{
    const QString text = QStringLiteral("emoji 😀 and 𠀀 ext-B");
    m_box->SetPlainText(text);
    m_dialogs->save = ScriptedDialogs::Choose(Path(QStringLiteral("u.txt")), 1);
    Trigger("saveas");
    const QByteArray bytes = ReadAll(Path(QStringLiteral("u.txt")));
    QVERIFY(!bytes.contains('?'));
    m_dialogs->open = ScriptedDialogs::Choose(Path(QStringLiteral("u.txt")));
    Trigger("open");
    QCOMPARE(m_box->Text(), text + QStringLiteral("\r\n"));
}

void TstDocumentCommands::openSetsTitleAndCurpath()
{
    const QString path = Path(QStringLiteral("listing.txt"));
    QVERIFY(WriteAll(path, Gbk(QStringLiteral("00401000  MOV EAX,1\r\n中文"))));
    m_dialogs->open = ScriptedDialogs::Choose(path);
    Trigger("open");
    QCOMPARE(m_dialogs->filtersSeen.value(0),
             QStringLiteral("文本文件(*.txt)|*.txt |RTF文件(*.rtf)|*.rtf |所有文件(*.*)|*.*"));
    QCOMPARE(m_box->Text(), QStringLiteral("00401000  MOV EAX,1\r\n中文"));
    QCOMPARE(m_form->windowTitle(), kPrefix + path);
    QCOMPARE(m_form->CurrentPath(), path);
}

// What the document gets besides its text before a Save.
enum class Extra { None, Color, Bold, Picture };

void TstDocumentCommands::saveKeepsTheKindOpened_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("extra");
    QTest::addColumn<int>("answer");     // to the question about what plain text drops
    QTest::addColumn<QString>("lost");   // what the question names; empty: no question
    QTest::addColumn<QByteArray>("written");   // empty: RTF
    const QByteArray plain("mov eax, ebx");
    const QByteArray rtf("{\\rtf1\\ansi mov eax, ebx}");
    const int no = int(MsgAnswer::No), yes = int(MsgAnswer::Yes);
    QTest::newRow("text stays text") << plain << int(Extra::None) << no << "" << QByteArray("mov eax, ebx!\r\n");
    QTest::newRow("RTF named .txt stays RTF") << rtf << int(Extra::Color) << no << "" << QByteArray();
    QTest::newRow("colour, No writes nothing") << plain << int(Extra::Color) << no << "颜色" << plain;
    QTest::newRow("bold, Yes writes text") << plain << int(Extra::Bold) << yes << "字体" << QByteArray("mov eax, ebx!\r\n");
    QTest::newRow("picture, No writes nothing") << plain << int(Extra::Picture) << no << "图片" << plain;
}

void TstDocumentCommands::saveKeepsTheKindOpened()
{
    QFETCH(QByteArray, content);
    QFETCH(int, extra);
    QFETCH(int, answer);
    QFETCH(QString, lost);
    QFETCH(QByteArray, written);
    const QString path = Path(QStringLiteral("a.txt"));
    QVERIFY(WriteAll(path, content));
    m_dialogs->open = ScriptedDialogs::Choose(path);
    Trigger("open");
    m_box->SetSelStart(m_box->TextLength());
    m_box->SetSelText(QStringLiteral("!"));
    m_box->Select(4, 3);
    if (Extra(extra) == Extra::Color)
        m_box->SetSelColor(0x000000FF);
    else if (Extra(extra) == Extra::Bold)
        m_box->SetSelBold(true);
    else if (Extra(extra) == Extra::Picture)
        m_box->InsertPicture(QImage(2, 2, QImage::Format_RGB32));
    MessageBoxes boxes{MsgAnswer(answer)};
    Trigger("save");
    QCOMPARE(m_dialogs->saves, 0);
    QCOMPARE(boxes.shown.size(), lost.isEmpty() ? 0 : 1);
    if (!lost.isEmpty()) {
        QCOMPARE(boxes.shown[0].title, QStringLiteral("询问"));
        QCOMPARE(boxes.shown[0].buttons, MsgButtons::YesNoDefaultNo);
        QVERIFY2(boxes.shown[0].text.contains(lost) && boxes.shown[0].text.contains(path),
                 qPrintable(boxes.shown[0].text));
    }
    if (written.isEmpty())
        QVERIFY(ReadAll(path).startsWith("{\\rtf") && ReadAll(path).contains("ebx!"));
    else
        QCOMPARE(ReadAll(path), written);
}

void TstDocumentCommands::closeAsksAboutChanges_data()
{
    QTest::addColumn<bool>("opened");   // else untitled
    QTest::addColumn<int>("extra");     // -1: no change at all
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<QByteArray>("fileAfter");
    const int save = int(MsgAnswer::Save), discard = int(MsgAnswer::Discard), cancel = int(MsgAnswer::Cancel);
    const QByteArray old("old"), saved("old!\r\n");
    const int typed = int(Extra::None), colour = int(Extra::Color);
    QTest::newRow("untouched asks nothing") << true << -1 << cancel << true << old;
    QTest::newRow("save writes, then closes") << true << typed << save << true << saved;
    QTest::newRow("don't save closes") << true << typed << discard << true << old;
    QTest::newRow("cancel stays") << true << typed << cancel << false << old;
    QTest::newRow("a colour is a change too") << true << colour << cancel << false << old;
    QTest::newRow("untitled, save cancelled stays") << false << typed << save << false << QByteArray();
}

void TstDocumentCommands::closeAsksAboutChanges()
{
    QFETCH(bool, opened);
    QFETCH(int, extra);
    QFETCH(int, answer);
    QFETCH(bool, closes);
    QFETCH(QByteArray, fileAfter);
    const QString path = Path(QStringLiteral("c.txt"));
    if (opened) {
        QVERIFY(WriteAll(path, "old"));
        m_dialogs->open = ScriptedDialogs::Choose(path);
        Trigger("open");
    }
    if (Extra(extra) == Extra::None) {
        m_box->SetSelStart(m_box->TextLength());
        m_box->SetSelText(QStringLiteral("!"));
    } else if (Extra(extra) == Extra::Color) {
        m_box->Select(0, 1);
        m_box->SetSelColor(0x000000FF);
    }
    m_dialogs->save = ScriptedDialogs::Cancel();
    MessageBoxes boxes{MsgAnswer(answer)};
    QCOMPARE(m_form->close(), closes);
    QCOMPARE(boxes.shown.size(), extra < 0 ? 0 : 1);
    if (extra >= 0) {
        const QString name = opened ? path : QStringLiteral("无标题");
        QCOMPARE(boxes.shown[0].text, QStringLiteral("是否将更改保存到 %1？").arg(name));
        QCOMPARE(boxes.shown[0].title, QStringLiteral("询问"));
        QCOMPARE(boxes.shown[0].buttons, MsgButtons::SaveDiscardCancel);
    }
    QCOMPARE(ReadAll(path), fileAfter);
    QCOMPARE(m_form->isVisible(), !closes);
}

void TstDocumentCommands::openAsksAboutChanges_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("text");
    QTest::newRow("cancel keeps the document") << int(MsgAnswer::Cancel) << "edited";
    QTest::newRow("don't save opens") << int(MsgAnswer::Discard) << "other";
}

void TstDocumentCommands::openAsksAboutChanges()
{
    QFETCH(int, answer);
    QFETCH(QString, text);
    QVERIFY(WriteAll(Path(QStringLiteral("o.txt")), "other"));
    m_box->SetSelText(QStringLiteral("edited"));
    m_dialogs->open = ScriptedDialogs::Choose(Path(QStringLiteral("o.txt")));
    MessageBoxes boxes{MsgAnswer(answer)};
    Trigger("open");
    QCOMPARE(boxes.shown.size(), 1);
    QCOMPARE(boxes.shown[0].buttons, MsgButtons::SaveDiscardCancel);
    QCOMPARE(m_dialogs->opens, text == QLatin1String("other") ? 1 : 0);
    QCOMPARE(m_box->Text(), text);
    // A document just opened holds no changes.
    QCOMPARE(m_form->close(), text == QLatin1String("other"));
    QCOMPARE(boxes.shown.size(), text == QLatin1String("other") ? 1 : 2);
}

// A file with parts the editor does not keep: told once, after it is open.
void TstDocumentCommands::openTellsWhatWasLeftOut()
{
    const QString path = Path(QStringLiteral("notes.rtf"));
    QVERIFY(WriteAll(path, "{\\rtf1 Body{\\footnote See p. 2.}{\\header Title}\\par}"));
    m_dialogs->open = ScriptedDialogs::Choose(path);
    MessageBoxes boxes;
    Trigger("open");
    QCOMPARE(m_box->Text(), QStringLiteral("Body\r\n"));
    QCOMPARE(boxes.shown.size(), 1);
    QCOMPARE(boxes.shown[0].text, QStringLiteral("此文件中的脚注和页眉未被读入，保存时不会包含它们。"));
    QCOMPARE(boxes.shown[0].buttons, MsgButtons::Ok);
    // Saving asks nothing more.
    Trigger("save");
    QCOMPARE(boxes.shown.size(), 1);
}

// Open, New, Save: the new document does not go over the opened file.
// Neither New nor the Save leaves anything unsaved to ask about.
void TstDocumentCommands::newForgetsTheOpenedFile()
{
    const QString opened = Path(QStringLiteral("first.txt"));
    QVERIFY(WriteAll(opened, "first"));
    m_dialogs->open = ScriptedDialogs::Choose(opened);
    Trigger("open");
    MessageBoxes boxes(MsgAnswer::Yes);
    Trigger("create");
    QCOMPARE(m_form->windowTitle(), kProduct);
    QCOMPARE(m_form->CurrentPath(), QString());
    m_box->SetSelText(QStringLiteral("second"));
    m_dialogs->save = ScriptedDialogs::Choose(Path(QStringLiteral("second")), 1);
    Trigger("save");
    QCOMPARE(m_dialogs->saves, 1);
    QCOMPARE(ReadAll(opened), QByteArray("first"));
    QCOMPARE(ReadAll(Path(QStringLiteral("second.TXT"))), QByteArray("second\r\n"));
    QCOMPARE(boxes.shown.size(), 1);   // New's own question
    QVERIFY(m_form->close());
    QCOMPARE(boxes.shown.size(), 1);
}

// The window is painted again, under the busy pointer, before the file is
// written; the pointer is back afterwards, after a failed save too.
void TstDocumentCommands::saveRepaintsUnderTheBusyPointer()
{
    struct PaintWatch : QObject
    {
        int busyPaints = 0;
        bool eventFilter(QObject *, QEvent *e) override
        {
            if (e->type() == QEvent::Paint && QGuiApplication::overrideCursor()
                && QGuiApplication::overrideCursor()->shape() == Qt::WaitCursor)
                ++busyPaints;
            return false;
        }
    } watch;
    m_box->SetSelText(QStringLiteral("text"));
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
    m_form->installEventFilter(&watch);
    MessageBoxes boxes;
    for (const QString &name : {QStringLiteral("w.txt"), QStringLiteral("nofolder/w.txt")}) {
        watch.busyPaints = 0;
        m_dialogs->save = ScriptedDialogs::Choose(Path(name), 1);
        Trigger("saveas");
        QVERIFY2(watch.busyPaints > 0, qPrintable(name));
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    }
    QCOMPARE(boxes.shown.size(), 1);   // the failed one
}

void TstDocumentCommands::saveAsLeavesTitleAndCurpath()
{
    const QString opened = Path(QStringLiteral("first.txt"));
    QVERIFY(WriteAll(opened, "one"));
    m_dialogs->open = ScriptedDialogs::Choose(opened);
    Trigger("open");
    m_dialogs->save = ScriptedDialogs::Choose(Path(QStringLiteral("b.rtf")), 2);
    Trigger("saveas");
    QCOMPARE(m_form->windowTitle(), kPrefix + opened);
    QCOMPARE(m_form->CurrentPath(), opened);
    m_box->SetPlainText(QStringLiteral("two"));
    Trigger("save");
    QCOMPARE(m_dialogs->saves, 1);
    QCOMPARE(ReadAll(opened), QByteArray("two\r\n"));
}

void TstDocumentCommands::saveWithoutOpenAsksEveryTime()
{
    m_box->SetPlainText(QStringLiteral("x"));
    m_dialogs->save = ScriptedDialogs::Choose(Path(QStringLiteral("n")), 1);
    Trigger("save");
    Trigger("save");
    QCOMPARE(m_dialogs->saves, 2);
    QVERIFY(QFile::exists(Path(QStringLiteral("n.TXT"))));
    QCOMPARE(m_form->windowTitle(), kProduct);
    QCOMPARE(m_form->CurrentPath(), QString());
}

void TstDocumentCommands::newAlwaysAsks()
{
    MessageBoxes boxes(MsgAnswer::No);
    Trigger("create");   // on an empty document
    QCOMPARE(boxes.shown.size(), 1);
    QCOMPARE(boxes.shown[0].text, QStringLiteral("您还没有保存,确定不保存吗？"));
    QCOMPARE(boxes.shown[0].title, QStringLiteral("询问"));
    QCOMPARE(boxes.shown[0].buttons, MsgButtons::YesNo);
    QCOMPARE(m_dialogs->saves, 0);
    QCOMPARE(m_form->windowTitle(), kProduct);
}

void TstDocumentCommands::newYesEmptiesEverything()
{
    m_box->SetPlainText(QStringLiteral("abc\ndef"));
    m_box->Select(0, 3);
    m_box->SetSelColor(0x00FF0000);
    m_box->SetSelStart(3);
    QImage img(4, 4, QImage::Format_RGB32);
    img.fill(Qt::blue);
    m_box->InsertPicture(img);
    MessageBoxes boxes(MsgAnswer::Yes);
    Trigger("create");
    QCOMPARE(m_box->Text(), QString());
    QCOMPARE(m_box->Buffer().ParagraphCount(), 1);
    QTest::keyClicks(m_box, QStringLiteral("z"));
    QVERIFY(!m_box->FormatAt(0).hasProperty(QTextFormat::ForegroundBrush));
    QCOMPARE(m_form->windowTitle(), kProduct);
}

void TstDocumentCommands::newNoKeepsDocument()
{
    m_box->SetPlainText(QStringLiteral("keep me"));
    MessageBoxes boxes(MsgAnswer::No);
    Trigger("create");
    QCOMPARE(m_box->Text(), QStringLiteral("keep me"));
}

void TstDocumentCommands::cancelOpenChangesNothing()
{
    const QString opened = Path(QStringLiteral("o.txt"));
    QVERIFY(WriteAll(opened, "opened"));
    m_dialogs->open = ScriptedDialogs::Choose(opened);
    Trigger("open");
    m_box->SetPlainText(QStringLiteral("edited"));
    m_dialogs->open = ScriptedDialogs::Cancel();
    Trigger("open");
    QCOMPARE(m_box->Text(), QStringLiteral("edited"));
    QCOMPARE(m_form->CurrentPath(), opened);
    QCOMPARE(m_form->windowTitle(), kPrefix + opened);
}

void TstDocumentCommands::cancelSaveAsWritesNothing()
{
    // The shared dialog still holds a name from an earlier use.
    m_box->SetPlainText(QStringLiteral("first"));
    m_dialogs->save = ScriptedDialogs::Choose(Path(QStringLiteral("keep.txt")), 1);
    Trigger("saveas");
    m_box->SetPlainText(QStringLiteral("second"));
    m_dialogs->save = ScriptedDialogs::Cancel();
    Trigger("saveas");
    QCOMPARE(ReadAll(Path(QStringLiteral("keep.txt"))), QByteArray("first\r\n"));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{QStringLiteral("keep.txt")});
}

void TstDocumentCommands::openFailure_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");   // null: do not create
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing") << "nothere.txt" << QByteArray() << "不存在";
    QTest::newRow("folder") << "sub" << QByteArray() << "文件夹";
    QTest::newRow("rtf without content") << "bad.rtf" << QByteArray("{\\rtf") << "";
}

void TstDocumentCommands::openFailure()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);
    const QString path = Path(name);
    if (name == QLatin1String("sub"))
        QVERIFY(QDir(m_dir->path()).mkdir(name));
    else if (!content.isNull())
        QVERIFY(WriteAll(path, content));
    m_box->SetPlainText(QStringLiteral("untouched"));
    MessageBoxes boxes;
    m_dialogs->open = ScriptedDialogs::Choose(path);
    Trigger("open");
    QCOMPARE(boxes.shown.size(), 1);
    QCOMPARE(boxes.shown[0].title, QStringLiteral("提示"));
    QCOMPARE(boxes.shown[0].buttons, MsgButtons::Ok);
    QVERIFY2(boxes.shown[0].text.contains(path), qPrintable(boxes.shown[0].text));
    QVERIFY2(boxes.shown[0].text.contains(reason), qPrintable(boxes.shown[0].text));
    QCOMPARE(m_box->Text(), QStringLiteral("untouched"));
    QCOMPARE(m_form->windowTitle(), kProduct);
    QCOMPARE(m_form->CurrentPath(), QString());
}

void TstDocumentCommands::saveFailure_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("filterIndex");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing folder as text") << "nofolder/x.txt" << 1 << "文件夹不存在";
    QTest::newRow("missing folder as rtf") << "nofolder/x.rtf" << 2 << "文件夹不存在";
    QTest::newRow("onto a folder") << "dir.txt" << 1 << "文件夹";
}

void TstDocumentCommands::saveFailure()
{
    QFETCH(QString, path);
    QFETCH(int, filterIndex);
    QFETCH(QString, reason);
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("dir.txt")));
    m_box->SetPlainText(QStringLiteral("text"));
    MessageBoxes boxes;
    m_dialogs->save = ScriptedDialogs::Choose(Path(path), qint16(filterIndex));
    Trigger("saveas");
    QCOMPARE(boxes.shown.size(), 1);
    QCOMPARE(boxes.shown[0].title, QStringLiteral("提示"));
    QVERIFY2(boxes.shown[0].text.contains(reason), qPrintable(boxes.shown[0].text));
    QCOMPARE(m_box->Text(), QStringLiteral("text"));
}

// A device cannot be replaced by a renamed temporary file: it is written in
// place, and a full one says so.
void TstDocumentCommands::fullDevice()
{
    if (!QFileInfo::exists(QStringLiteral("/dev/full")))
        QSKIP("no /dev/full here");
    m_box->SetPlainText(QStringLiteral("text"));
    QString err;
    QVERIFY(!m_box->SaveFile(QStringLiteral("/dev/full"), &err));
    QVERIFY2(err.contains(QStringLiteral("磁盘空间不足")), qPrintable(err));
    QVERIFY(!WriteTextFile(QStringLiteral("/dev/full"), m_box->Text(), &err));
    QVERIFY(QFileInfo(QStringLiteral("/dev/full")).exists() && !QFileInfo(QStringLiteral("/dev/full")).isFile());
    // Nor is a device opened as a document.
    QVERIFY(!m_box->LoadFile(QStringLiteral("/dev/zero"), &err));
    QCOMPARE(m_box->Text(), QStringLiteral("text"));
}

void TstDocumentCommands::openLineBreaks_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("LF") << QByteArray("a\nb\n") << "a\r\nb\r\n";
    QTest::newRow("CR LF") << QByteArray("a\r\nb") << "a\r\nb";
    QTest::newRow("lone CR") << QByteArray("a\rb\r\rc") << "a\r\nb\r\n\r\nc";
    QTest::newRow("UTF-8 BOM") << QByteArray("\xEF\xBB\xBF\xE4\xB8\xAD") << "中";
    QTest::newRow("GBK") << QByteArray("\xD6\xD0\xCE\xC4") << "中文";
}

void TstDocumentCommands::openLineBreaks()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    const QString path = Path(QStringLiteral("lb.txt"));
    QVERIFY(WriteAll(path, bytes));
    m_dialogs->open = ScriptedDialogs::Choose(path);
    Trigger("open");
    QCOMPARE(m_box->Text(), text);
}

QTEST_MAIN(TstDocumentCommands)
#include "tst_document_commands.moc"
