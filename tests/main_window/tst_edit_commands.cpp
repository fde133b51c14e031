#include "shared_ui/common_dialog.h"
#include "shared_ui/font_dialog.h"
#include "main_window/main_window.h"
#include "main_window/program.h"
#include "rich_text/rich_text_box.h"
#include "tests/support/test_dialogs.h"

#include "tests/support/test_files.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QTemporaryDir>
#include "rich_text/view_layout.h"
#include <QTextLayout>
#include <QtEndian>
#include <QtTest>
#include <atomic>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace lumora;
using namespace lumora::testing;

namespace {

template<typename T> void Put(QByteArray &out, T v)
{
    v = qToLittleEndian(v);
    out.append(reinterpret_cast<const char *>(&v), sizeof v);
}

// An icon file holding one 32-bit image per size, each filled with its colour.
QByteArray IcoFile(const QList<QPair<int, QRgb>> &images)
{
    QByteArray head, body;
    Put<quint16>(head, 0);
    Put<quint16>(head, 1);
    Put<quint16>(head, quint16(images.size()));
    quint32 offset = quint32(6 + 16 * images.size());
    for (const auto &[side, rgb] : images) {
        QByteArray dib;
        Put<quint32>(dib, 40);
        Put<qint32>(dib, side);
        Put<qint32>(dib, side * 2);   // colour rows plus mask rows
        Put<quint16>(dib, 1);
        Put<quint16>(dib, 32);
        for (int i = 0; i < 6; ++i)
            Put<quint32>(dib, 0);
        for (int p = 0; p < side * side; ++p) {
            dib.append(char(qBlue(rgb))).append(char(qGreen(rgb))).append(char(qRed(rgb))).append(char(0xFF));
        }
        dib.append(QByteArray(((side + 31) / 32) * 4 * side, '\0'));   // AND mask: all opaque
        head.append(char(side % 256)).append(char(side % 256)).append('\0').append('\0');
        Put<quint16>(head, 1);
        Put<quint16>(head, 32);
        Put<quint32>(head, quint32(dib.size()));
        Put<quint32>(head, offset);
        offset += quint32(dib.size());
        body.append(dib);
    }
    return head + body;
}

struct ShownPicture
{
    int textPos = -1;
    QSize size;
    QImage image;
};

QList<ShownPicture> Pictures(const RichTextBox &box)
{
    QList<ShownPicture> out;
    const Document d = box.Snapshot();
    for (int i = 0; i < d.text.size(); ++i) {
        const int id = d.formats.At(d.runs.FormatAt(i)).picture;
        if (d.text[i] != QChar::ObjectReplacementCharacter || id < 0)
            continue;
        const Picture &p = d.pictures[id];
        out.append({i, QSize(int(p.width), int(p.height)), p.image});
    }
    return out;
}

QTextCharFormat FormatAt(const RichTextBox &box, int textPos)
{
    return box.FormatAt(textPos);
}

} // namespace

class TstEditCommands : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void undo_data();
    void undo();
    void copy_data();
    void copy();
    void paste_data();
    void paste();
    void editorKeysStayTheWidgets();
    void insertPicture_data();
    void insertPicture();
    void insertPictureIcoTakesLargest();
    void insertPictureRefused_data();
    void insertPictureRefused();
    void insertPictureNothingChosen_data();
    void insertPictureNothingChosen();
    void pictureSurvivesRtf();
    void wordWrapToggle();
    void fontOnSelection();
    void fontOnEmptySelectionAppliesToTyping();
    void fontCancelChangesNothing();
    void fontIsOneUndoStep();

private:
    void Trigger(const char *item) { m_form->MenuItem(QString::fromLatin1(item))->trigger(); }
    QString Path(const QString &name) const { return m_dir->filePath(name); }
    QString Bmp(const QString &name, QSize size, QColor color) const
    {
        QImage img(size, QImage::Format_RGB32);
        img.fill(color);
        const QString p = Path(name);
        img.save(p, "BMP");
        return p;
    }
    // Script the font dialog: the user sets these values and confirms.
    void ChooseFont(const QString &face, float size, OleColor color, bool bold, bool italic, bool strike,
                    bool underline)
    {
        m_dialogs->font = [=](CommonDialog &d) {
            m_flagsSeen = d.Flags;
            d.FontName = face;
            d.FontSize = size;
            d.Color = color;
            d.FontBold = bold;
            d.FontItalic = italic;
            d.FontStrikethru = strike;
            d.FontUnderline = underline;
            return true;
        };
    }

    Program *m_program = nullptr;
    MainWindow *m_form = nullptr;
    RichTextBox *m_box = nullptr;
    ScriptedDialogs *m_dialogs = nullptr;
    std::unique_ptr<QTemporaryDir> m_dir;
    qint32 m_flagsSeen = 0;
};

void TstEditCommands::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_program = new Program;
    m_form = m_program->Start();
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
    m_box = m_form->Editor();
    m_dialogs = Script(*m_form->Dialog());
    m_flagsSeen = 0;
    QGuiApplication::clipboard()->clear();
}

void TstEditCommands::cleanup()
{
    delete m_program;
    m_dir.reset();
}

void TstEditCommands::undo_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("newLine");
    QTest::newRow("typing") << "typing" << true;
    QTest::newRow("menu paste") << "paste" << true;
    // Straight after typing, the paste is still a step of its own.
    QTest::newRow("menu paste after typing") << "paste" << false;
    QTest::newRow("picture") << "picture" << true;
    QTest::newRow("picture after typing") << "picture" << false;
}

void TstEditCommands::undo()
{
    QFETCH(QString, action);
    QFETCH(bool, newLine);
    QTest::keyClicks(m_box, QStringLiteral("mov eax"));
    if (newLine)
        QTest::keyClick(m_box, Qt::Key_Return);
    const QString before = m_box->Text();
    if (action == QLatin1String("typing")) {
        QTest::keyClicks(m_box, QStringLiteral("ebx"));
    } else if (action == QLatin1String("paste")) {
        QGuiApplication::clipboard()->setText(QStringLiteral("push ebp\nret"));
        Trigger("shit");
    } else {
        m_dialogs->open = ScriptedDialogs::Choose(Bmp(QStringLiteral("a.bmp"), {4, 4}, Qt::red));
        Trigger("insterdata");
    }
    QVERIFY(m_box->Text() != before);
    QVERIFY(m_box->hasFocus());
    Trigger("unndo");
    QCOMPARE(m_box->Text(), before);
    QVERIFY(Pictures(*m_box).isEmpty());
    QVERIFY(m_box->hasFocus());
}

void TstEditCommands::copy_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("clip");
    QTest::newRow("empty selection") << "mov eax, 1" << 3 << 0 << "";
    QTest::newRow("part of a line") << "mov eax, 1" << 4 << 3 << "eax";
    QTest::newRow("across lines") << "push ebp\r\nmov ebp, esp" << 5 << 8 << "ebp\nmov";
    QTest::newRow("chinese") << "注释 ; 中文" << 0 << 2 << "注释";
}

void TstEditCommands::copy()
{
    QFETCH(QString, text);
    QFETCH(int, start);
    QFETCH(int, length);
    QFETCH(QString, clip);
    QGuiApplication::clipboard()->setText(QStringLiteral("left over"));
    m_box->SetSelText(text);
    m_box->Select(start, length);
    Trigger("copy");
    QCOMPARE(QGuiApplication::clipboard()->text(), clip);
    QCOMPARE(m_box->Text(), text);   // copying leaves the document alone
    // The menu hands over what Ctrl+C does: the text and the HTML look.
    const QString html = QGuiApplication::clipboard()->mimeData()->html();
    QVERIFY(!html.isEmpty());
    if (length > 0) {   // Ctrl+C leaves the clipboard alone without a selection
        QGuiApplication::clipboard()->clear();
        QTest::keyClick(m_box, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->mimeData()->html(), html);
    }
}

void TstEditCommands::paste_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("expected");
    // Document before each row: "mov eax, ebx".
    QTest::newRow("replaces selection") << "plain" << 4 << 3 << "mov ecx, ebx";
    QTest::newRow("inserts at caret") << "plain" << 0 << 0 << "ecxmov eax, ebx";
    QTest::newRow("rich arrives plain") << "rich" << 4 << 3 << "mov BOLD, ebx";
    QTest::newRow("picture only removes") << "image" << 4 << 5 << "mov ebx";
    QTest::newRow("html only removes") << "html" << 3 << 6 << "movebx";
    QTest::newRow("empty clipboard removes") << "none" << 0 << 4 << "eax, ebx";
    QTest::newRow("line breaks of any kind") << "lines" << 12 << 0 << "mov eax, ebxa\r\nb\r\nc\r\nd";
}

void TstEditCommands::paste()
{
    QFETCH(QString, kind);
    QFETCH(int, start);
    QFETCH(int, length);
    QFETCH(QString, expected);
    m_box->SetSelText(QStringLiteral("mov eax, ebx"));

    auto *mime = new QMimeData;
    if (kind == QLatin1String("plain"))
        mime->setText(QStringLiteral("ecx"));
    else if (kind == QLatin1String("rich")) {
        mime->setText(QStringLiteral("BOLD"));
        mime->setHtml(QStringLiteral("<b style=\"color:#ff0000\">BOLD</b>"));
    } else if (kind == QLatin1String("image")) {
        QImage img(8, 8, QImage::Format_RGB32);
        img.fill(Qt::blue);
        mime->setImageData(img);
    } else if (kind == QLatin1String("html"))
        mime->setHtml(QStringLiteral("<i>only html</i>"));
    else if (kind == QLatin1String("lines"))
        mime->setText(QStringLiteral("a\r\nb\nc\rd"));
    QGuiApplication::clipboard()->setMimeData(mime);

    m_box->Select(start, length);
    Trigger("shit");
    QCOMPARE(m_box->Text(), expected);
    QVERIFY(Pictures(*m_box).isEmpty());
    QCOMPARE(m_box->SelLength(), 0);
    if (kind == QLatin1String("rich")) {
        const QTextCharFormat f = FormatAt(*m_box, 5);
        QCOMPARE(f.fontWeight(), int(QFont::Normal));
        QVERIFY(!f.hasProperty(QTextFormat::ForegroundBrush));
    }
}

// Ctrl+C, Ctrl+V and Ctrl+Z are the editing area's own keys, not the menu's.
void TstEditCommands::editorKeysStayTheWidgets()
{
    QTest::keyClicks(m_box, QStringLiteral("abc"));
    QTest::keyClick(m_box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(m_box, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("abc"));
    QTest::keyClick(m_box, Qt::Key_End);
    QTest::keyClick(m_box, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(m_box->Text(), QStringLiteral("abcabc"));
    QTest::keyClick(m_box, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(m_box->Text(), QStringLiteral("abc"));
}

void TstEditCommands::insertPicture_data()
{
    QTest::addColumn<int>("caret");
    QTest::addColumn<QSize>("size");
    QTest::newRow("middle") << 4 << QSize(7, 5);
    QTest::newRow("start") << 0 << QSize(1, 1);
    QTest::newRow("second line") << 14 << QSize(120, 33);
}

void TstEditCommands::insertPicture()
{
    QFETCH(int, caret);
    QFETCH(QSize, size);
    m_box->SetSelText(QStringLiteral("mov eax, 1\r\nret"));
    m_box->SetSelStart(caret);
    const QString path = Bmp(QStringLiteral("pic.bmp"), size, QColor(10, 200, 30));
    m_dialogs->open = ScriptedDialogs::Choose(path);
    Trigger("insterdata");

    QCOMPARE(m_dialogs->filtersSeen, QStringList{QStringLiteral("图片文件(*.ico;*.bmp)|*.ico;*.bmp")});
    const QList<ShownPicture> pics = Pictures(*m_box);
    QCOMPARE(pics.size(), 1);
    QCOMPARE(pics[0].textPos, caret);
    QCOMPARE(pics[0].size, size);   // natural size
    QCOMPARE(pics[0].image.size(), size);
    QCOMPARE(pics[0].image.pixelColor(0, 0), QColor(10, 200, 30));
    QString expected = QStringLiteral("mov eax, 1\r\nret");
    expected.insert(caret, QChar::ObjectReplacementCharacter);
    QCOMPARE(m_box->Text(), expected);
    QCOMPARE(m_box->SelStart(), caret + 1);

    // It stays there while the user goes on typing.
    QTest::keyClicks(m_box, QStringLiteral("xy"));
    QCOMPARE(Pictures(*m_box).size(), 1);
}

void TstEditCommands::insertPictureIcoTakesLargest()
{
    const QString path = Path(QStringLiteral("app.ico"));
    QVERIFY(WriteAll(path, IcoFile({{16, qRgb(255, 0, 0)}, {48, qRgb(0, 0, 255)}, {32, qRgb(0, 255, 0)}})));
    m_dialogs->open = ScriptedDialogs::Choose(path);
    Trigger("insterdata");
    const QList<ShownPicture> pics = Pictures(*m_box);
    QCOMPARE(pics.size(), 1);
    QCOMPARE(pics[0].size, QSize(48, 48));
    QCOMPARE(pics[0].image.pixelColor(24, 24), QColor(0, 0, 255));
}

void TstEditCommands::insertPictureRefused_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("reason");
    const QString bad = QStringLiteral("不是可以识别的图片");
    QTest::newRow("corrupt bmp") << QByteArray("BM\x10\x00\x00\x00garbage-not-a-bitmap", 26) << "bad.bmp" << bad;
    QTest::newRow("huge bmp header") << [] {
        QByteArray b("BM");
        Put<quint32>(b, 54);
        Put<quint32>(b, 0);
        Put<quint32>(b, 54);
        Put<quint32>(b, 40);
        Put<qint32>(b, 60000);
        Put<qint32>(b, 60000);
        Put<quint16>(b, 1);
        Put<quint16>(b, 32);
        for (int i = 0; i < 6; ++i)
            Put<quint32>(b, 0);
        return b;
    }() << "huge.bmp" << bad;
    QTest::newRow("text named ico") << QByteArray("just some text\r\n") << "note.ico" << bad;
    QTest::newRow("empty file") << QByteArray() << "empty.bmp" << bad;
    QTest::newRow("missing file") << QByteArray() << "" << "文件不存在";
    // Refused as Open refuses it, without waiting for a writer.
    QTest::newRow("pipe") << QByteArray() << "pipe.bmp" << "这不是普通文件";
}

void TstEditCommands::insertPictureRefused()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, name);
    QFETCH(QString, reason);
    const QString path = name.isEmpty() ? Path(QStringLiteral("gone.bmp")) : Path(name);
    const bool pipe = name == QLatin1String("pipe.bmp");
    if (pipe)
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    else if (!name.isEmpty())
        QVERIFY(WriteAll(path, content));
    // A reader stuck on the pipe gets its end of file after a while, so a
    // failure does not hang the run.
    std::atomic<bool> done = false;
    std::thread unblock([&] {
        for (int ms = 0; !done; ms += 50) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            const int fd = pipe && ms > 3000 ? ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK) : -1;
            if (fd >= 0)
                ::close(fd);
        }
    });
    auto finish = qScopeGuard([&] {
        done = true;
        unblock.join();
    });
    m_box->SetSelText(QStringLiteral("keep me"));
    m_box->Select(0, 4);
    const quint64 changes = m_box->ChangeCount();
    MessageBoxes boxes;
    m_dialogs->open = ScriptedDialogs::Choose(path);
    Trigger("insterdata");

    QCOMPARE(boxes.shown.size(), 1);
    QCOMPARE(boxes.shown[0].title, QStringLiteral("提示"));
    QCOMPARE(boxes.shown[0].buttons, MsgButtons::Ok);
    QVERIFY2(boxes.shown[0].text.contains(QFileInfo(path).fileName()) && boxes.shown[0].text.contains(reason),
             qPrintable(boxes.shown[0].text));
    QCOMPARE(m_box->Text(), QStringLiteral("keep me"));
    QCOMPARE(m_box->SelLength(), 4);
    QCOMPARE(m_box->ChangeCount(), changes);
}

void TstEditCommands::insertPictureNothingChosen_data()
{
    QTest::addColumn<bool>("confirm");
    QTest::newRow("cancel with an earlier name") << false;
    QTest::newRow("ok with an empty name") << true;
}

void TstEditCommands::insertPictureNothingChosen()
{
    QFETCH(bool, confirm);
    // An earlier use left a valid picture's name in the shared dialog.
    m_form->Dialog()->SetFileName(confirm ? QString() : Bmp(QStringLiteral("old.bmp"), {3, 3}, Qt::black));
    m_box->SetSelText(QStringLiteral("text"));
    MessageBoxes boxes;
    m_dialogs->open = [confirm](CommonDialog &) { return confirm; };
    Trigger("insterdata");
    QCOMPARE(m_dialogs->opens, 1);
    QCOMPARE(m_box->Text(), QStringLiteral("text"));
    QVERIFY(Pictures(*m_box).isEmpty());
    QVERIFY(boxes.shown.isEmpty());
}

void TstEditCommands::pictureSurvivesRtf()
{
    m_box->SetSelText(QStringLiteral("before  after"));
    m_box->SetSelStart(7);
    m_dialogs->open = ScriptedDialogs::Choose(Bmp(QStringLiteral("p.bmp"), {9, 6}, QColor(200, 100, 50)));
    Trigger("insterdata");
    const QString rtf = Path(QStringLiteral("doc.rtf"));
    m_dialogs->save = ScriptedDialogs::Choose(rtf, 2);
    Trigger("saveas");

    MessageBoxes boxes(MsgAnswer::Yes);
    Trigger("create");
    QVERIFY(Pictures(*m_box).isEmpty());
    m_dialogs->open = ScriptedDialogs::Choose(rtf);
    Trigger("open");

    const QList<ShownPicture> pics = Pictures(*m_box);
    QCOMPARE(pics.size(), 1);
    QCOMPARE(pics[0].size, QSize(9, 6));
    QCOMPARE(pics[0].image.pixelColor(4, 3), QColor(200, 100, 50));
    QCOMPARE(m_box->Text(), QStringLiteral("before ") + QChar::ObjectReplacementCharacter + QStringLiteral(" after"));
}

void TstEditCommands::wordWrapToggle()
{
    QAction *wrap = m_form->MenuItem(QStringLiteral("autoendl"));
    QString line;
    for (int i = 0; i < 60; ++i)
        line += QStringLiteral("mov eax, dword ptr [ebp-8] ");
    m_box->SetSelText(line + QStringLiteral("\r\nshort"));
    // The first paragraph's lines, from the caret's place at its two ends.
    const auto lines = [this] {
        QCoreApplication::processEvents();
        const ViewLayout &layout = m_box->Layout();
        const int end = m_box->Buffer().Store().ParagraphEnd(0);
        return int((layout.CaretRect(end).top() - layout.CaretRect(0).top()) / layout.LineHeight()) + 1;
    };
    QVERIFY(wrap->isChecked());
    QVERIFY(lines() > 3);

    // Off, on, off, on: the mark flips each time and the layout follows;
    // the right margin flips only when wrapping is switched on.
    const bool marks[] = {false, true, false, true};
    const float margins[] = {0.0f, 1.0f, 1.0f, 0.0f};
    for (int i = 0; i < 4; ++i) {
        Trigger("autoendl");
        QCOMPARE(wrap->isChecked(), marks[i]);
        QCOMPARE(m_box->WordWrap(), marks[i]);
        QCOMPARE(m_box->RightMargin(), margins[i]);
        if (marks[i]) {
            QVERIFY(lines() > 3);
            QVERIFY(m_box->Layout().ContentWidth() <= m_box->viewport()->width());
        } else {
            QCOMPARE(lines(), 1);
        }
    }
    QCOMPARE(m_box->Text(), line + QStringLiteral("\r\nshort"));
}

void TstEditCommands::fontOnSelection()
{
    m_box->SetSelText(QStringLiteral("hello world"));
    m_box->Select(6, 5);
    m_box->clearFocus();
    ChooseFont(QStringLiteral("DejaVu Sans"), 14.5f, 0x0000FF, true, true, true, true);
    Trigger("setfo");

    QCOMPARE(m_flagsSeen, 65793);
    QCOMPARE(m_form->Dialog()->Flags, 65793);
    QCOMPARE(m_box->SelStart(), 6);
    QCOMPARE(m_box->SelLength(), 5);
    QVERIFY(m_box->hasFocus());
    for (int pos : {6, 10}) {
        const QTextCharFormat f = FormatAt(*m_box, pos);
        QCOMPARE(f.fontFamilies().toStringList(), QStringList{"DejaVu Sans"});
        QCOMPARE(f.fontPointSize(), 14.5);
        QCOMPARE(f.foreground().color(), QColor(255, 0, 0));
        QCOMPARE(f.fontWeight(), int(QFont::Bold));
        QVERIFY(f.fontItalic() && f.fontStrikeOut() && f.fontUnderline());
    }
    const QTextCharFormat untouched = FormatAt(*m_box, 4);
    QVERIFY(!untouched.fontItalic() && !untouched.fontUnderline());
    QVERIFY(!untouched.hasProperty(QTextFormat::ForegroundBrush));
}

void TstEditCommands::fontOnEmptySelectionAppliesToTyping()
{
    m_box->SetSelText(QStringLiteral("abc"));
    ChooseFont(DefaultFontDialogFace(), 20.0f, 0x008000, false, true, false, true);
    Trigger("setfo");
    QTest::keyClicks(m_box, QStringLiteral("xyz"));
    QCOMPARE(m_box->Text(), QStringLiteral("abcxyz"));
    const QTextCharFormat typed = FormatAt(*m_box, 4);
    QCOMPARE(typed.fontPointSize(), 20.0);
    QCOMPARE(typed.foreground().color(), QColor(0, 128, 0));
    QVERIFY(typed.fontItalic() && typed.fontUnderline());
    QVERIFY(!FormatAt(*m_box, 1).fontItalic());
}

void TstEditCommands::fontCancelChangesNothing()
{
    m_box->SetSelText(QStringLiteral("first second"));
    m_box->Select(0, 5);
    ChooseFont(QStringLiteral("DejaVu Sans"), 16.0f, 0x0000FF, true, false, false, false);
    Trigger("setfo");

    // A later cancel, with other text selected: that text keeps its look,
    // and the dialog still holds the earlier choice for next time.
    m_box->Select(6, 6);
    m_box->clearFocus();
    m_dialogs->font = ScriptedDialogs::Cancel();
    Trigger("setfo");
    QCOMPARE(m_dialogs->fonts, 2);
    QVERIFY(m_box->hasFocus());
    const QTextCharFormat f = FormatAt(*m_box, 8);
    QCOMPARE(f.fontWeight(), int(QFont::Normal));
    QVERIFY(!f.hasProperty(QTextFormat::ForegroundBrush));
    QVERIFY(!f.hasProperty(QTextFormat::FontPointSize));
    QCOMPARE(FormatAt(*m_box, 2).fontWeight(), int(QFont::Bold));
    CommonDialog *cd = m_form->Dialog();
    QCOMPARE(cd->FontName, QStringLiteral("DejaVu Sans"));
    QCOMPARE(cd->FontSize, 16.0f);
    QVERIFY(cd->FontBold);
}

void TstEditCommands::fontIsOneUndoStep()
{
    m_box->SetSelText(QStringLiteral("mov eax"));
    m_box->Select(0, 3);
    ChooseFont(QStringLiteral("DejaVu Sans"), 12.0f, 0xFF0000, true, true, true, true);
    Trigger("setfo");
    QCOMPARE(FormatAt(*m_box, 1).fontWeight(), int(QFont::Bold));
    Trigger("unndo");
    const QTextCharFormat f = FormatAt(*m_box, 1);
    QCOMPARE(f.fontWeight(), int(QFont::Normal));
    QVERIFY(!f.fontItalic() && !f.fontStrikeOut() && !f.fontUnderline());
    QVERIFY(!f.hasProperty(QTextFormat::ForegroundBrush));
    QCOMPARE(m_box->Text(), QStringLiteral("mov eax"));
}

QTEST_MAIN(TstEditCommands)
#include "tst_edit_commands.moc"
