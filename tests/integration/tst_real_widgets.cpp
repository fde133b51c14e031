// The editor driven through the toolkit's own widgets, with nothing stood in:
// the real file, font and message dialogs, answered as a person would (pick
// the file type, type the name, press Enter or a button), and real drag and
// drop events.  The other tests answer the dialogs through a stand-in; these
// are the ones that see what the real dialogs hand back.

#include "main_window/chinese_ui.h"
#include "shared_ui/common_dialog.h"
#include "main_window/main_window.h"
#include "main_window/program.h"
#include "rich_text/rich_text_box.h"
#include "tests/support/test_files.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>
#include <fcntl.h>
#include <functional>
#include <unistd.h>

using namespace lumora;
using namespace lumora::testing;

namespace {

const QString kTextEntry = QStringLiteral("文本文件(*.txt)");
const QString kRtfEntry = QStringLiteral("RTF文件(*.rtf)");
const QString kAllEntry = QStringLiteral("所有文件(*.*)");
constexpr int kBoundMs = 10000;

// Answers modal dialogs from a timer, each expected one with its own action.
// A dialog nobody expects, or one still open long after its action, is
// recorded as a failure and closed; so is an expected dialog of the wrong
// kind.  No test can wait for a click that never comes.
class Answerer : public QObject
{
public:
    // Returns an empty text when all went as it should, else what went wrong.
    using Act = std::function<QString(QWidget *)>;

    void Start() { Poll(); }
    void Expect(const char *className, Act act) { m_pending.append({className, std::move(act)}); }
    // What went wrong since the last call, expected dialogs that never came
    // included; clears both.
    QStringList TakeFailures()
    {
        for (const Pending &p : std::as_const(m_pending))
            m_failures << QStringLiteral("no %1 was shown").arg(QLatin1String(p.className));
        m_pending.clear();
        return std::exchange(m_failures, {});
    }

private:
    struct Pending
    {
        QByteArray className;
        Act act;
    };

    static void Close(QWidget *w)
    {
        if (auto *d = qobject_cast<QDialog *>(w))
            d->reject();
        else
            w->close();
    }

    void Poll()
    {
        // A fresh timer each round: an action that opens a nested dialog
        // blocks this round, and the next one must still come.
        QTimer::singleShot(20, this, &Answerer::Poll);
        QPointer<QWidget> m = QApplication::activeModalWidget();
        if (!m)
            return;
        if (m_handled.contains(m)) {
            if (m_sinceAct.elapsed() > kBoundMs) {
                m_failures << QStringLiteral("\"%1\" still open after its answer").arg(m->windowTitle());
                Close(m);
            }
            return;
        }
        m_handled.removeAll(nullptr);
        m_handled.append(m);
        m_sinceAct.start();
        QString wrong;
        if (m_pending.isEmpty()) {
            wrong = QStringLiteral("unexpected dialog \"%1\"").arg(m->windowTitle());
        } else {
            const Pending p = m_pending.takeFirst();
            // Keys reach a dialog once it is the active window, as for a person.
            if (!QTest::qWaitForWindowActive(m))
                wrong = QStringLiteral("%1 never became active").arg(QLatin1String(p.className));
            else if (!m->inherits(p.className.constData()))
                wrong = QStringLiteral("%1 instead of %2").arg(QLatin1String(m->metaObject()->className()),
                                                              QLatin1String(p.className));
            else
                wrong = p.act(m);
        }
        if (!wrong.isEmpty()) {
            m_failures << wrong;
            if (m)
                Close(m);
        }
    }

    QList<Pending> m_pending;
    QList<QPointer<QWidget>> m_handled;
    QStringList m_failures;
    QElapsedTimer m_sinceAct;
};

// The names the file list shows, once it shows `waitFor`.
QStringList ListedNames(QFileDialog *fd, const QString &waitFor)
{
    auto *view = fd->findChild<QTreeView *>();
    if (!view)
        return {};
    QStringList names;
    (void)QTest::qWaitFor([&] {
        names.clear();
        for (int r = 0; r < view->model()->rowCount(view->rootIndex()); ++r)
            names << view->model()->index(r, 0, view->rootIndex()).data().toString();
        return names.contains(waitFor);
    }, kBoundMs);
    return names;
}

struct FileAnswer
{
    QString entry;    // file type to pick; empty: leave as it opens
    QString name;     // typed into the name field
    bool accept = true;
    std::function<QString(QFileDialog *)> check = {};   // looks at the dialog before the name
};

// Picks the file type with the arrow keys, types the name and presses Enter
// (or Escape).  A failed check cancels.
Answerer::Act AnswerFile(const FileAnswer &a)
{
    return [a](QWidget *w) -> QString {
        auto *fd = static_cast<QFileDialog *>(w);
        if (!a.entry.isEmpty()) {
            QComboBox *types = nullptr;
            for (QComboBox *c : fd->findChildren<QComboBox *>())
                if (c->findText(a.entry) >= 0)
                    types = c;
            if (!types)
                return QStringLiteral("no file type \"%1\"").arg(a.entry);
            const int target = types->findText(a.entry);
            for (int i = 0; i < types->count() && types->currentIndex() != target; ++i)
                QTest::keyClick(types, types->currentIndex() < target ? Qt::Key_Down : Qt::Key_Up);
        }
        if (a.check)
            if (const QString wrong = a.check(fd); !wrong.isEmpty())
                return wrong;
        auto *name = fd->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        if (!name)
            return QStringLiteral("no name field");
        QTest::keyClick(name, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(name, a.name);
        QTest::keyClick(name, a.accept ? Qt::Key_Return : Qt::Key_Escape);
        return QString();
    };
}

// The file type the dialog opens on; then cancels.
Answerer::Act OpensOn(const QString &entry)
{
    return AnswerFile({QString(), QString(), false, [entry](QFileDialog *fd) {
                           const QString shown = fd->selectedNameFilter();
                           return shown.startsWith(entry) ? QString()
                                                          : QStringLiteral("opened on \"%1\", not \"%2\"").arg(shown, entry);
                       }});
}

// Checks the box as it shows and presses the button captioned `button`.
Answerer::Act PressButton(const QString &title, const QString &button)
{
    return [=](QWidget *w) -> QString {
        auto *box = static_cast<QMessageBox *>(w);
        if (box->windowTitle() != title || box->icon() != QMessageBox::NoIcon)
            return QStringLiteral("box \"%1\" with icon %2").arg(box->windowTitle()).arg(box->icon());
        for (QAbstractButton *b : box->buttons())
            if (b->text() == button) {
                QTest::mouseClick(b, Qt::LeftButton);
                return QString();
            }
        return QStringLiteral("no button \"%1\"").arg(button);
    };
}

// Checks a question as it shows (its text, its buttons, which one is the
// default and which one Escape presses), then answers it: "Escape" and
// "Enter" press that key, anything else clicks the button of that caption.
struct Question
{
    QString text;
    QStringList buttons;
    QString byDefault;
    QString onEscape;
};

Answerer::Act Answer(const Question &q, const QString &answer)
{
    return [=](QWidget *w) -> QString {
        auto *box = static_cast<QMessageBox *>(w);
        QStringList shown;
        for (QAbstractButton *b : box->buttons())
            shown << b->text();
        shown.sort();
        QStringList wanted = q.buttons;
        wanted.sort();
        if (box->text() != q.text || shown != wanted)
            return QStringLiteral("asked \"%1\" with %2").arg(box->text(), shown.join(QLatin1Char(',')));
        if (!box->defaultButton() || box->defaultButton()->text() != q.byDefault || !box->escapeButton()
            || box->escapeButton()->text() != q.onEscape)
            return QStringLiteral("wrong default or Escape button");
        if (answer == QLatin1String("Escape") || answer == QLatin1String("Enter")) {
            QTest::keyClick(box, answer == QLatin1String("Escape") ? Qt::Key_Escape : Qt::Key_Return);
            return QString();
        }
        return PressButton(QStringLiteral("询问"), answer)(w);
    };
}

int PictureCount(const RichTextBox &box)
{
    return int(box.Text().count(QChar::ObjectReplacementCharacter));
}

} // namespace

class TstRealWidgets : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void saveAs_data();
    void saveAs();
    void openThenSave_data();
    void openThenSave();
    void fileDialogReadsInChinese();
    void opensNameThatIsNotUtf8_data();
    void opensNameThatIsNotUtf8();
    void newAsks_data();
    void newAsks();
    void closeAsks_data();
    void closeAsks();
    void plainTextSaveAsks_data();
    void plainTextSaveAsks();
    void insertPicture_data();
    void insertPicture();
    void font_data();
    void font();
    void drop_data();
    void drop();

private:
    void Trigger(const char *item) { m_form->MenuItem(QString::fromLatin1(item))->trigger(); }
    QString Path(const QString &name) const { return m_dir->filePath(name); }

    Answerer m_answers;
    QTemporaryDir m_settings;
    std::unique_ptr<QTemporaryDir> m_dir;
    Program *m_program = nullptr;
    MainWindow *m_form = nullptr;
    RichTextBox *m_box = nullptr;
};

void TstRealWidgets::initTestCase()
{
    // The suite forbids real dialogs so that an unanswered one aborts; here
    // every dialog is answered or closed by the answerer.
    qunsetenv("LUMORA_NO_MODAL");
    // Qt's file dialog keeps its column widths in the user's settings; a
    // fresh place for them makes every run start from the same dialog.
    QVERIFY(m_settings.isValid());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_settings.path()));
    SetUpChineseUi(*qApp);
    m_answers.Start();
}

void TstRealWidgets::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_program = new Program;
    m_form = m_program->Start();
    m_box = m_form->Editor();
}

void TstRealWidgets::cleanup()
{
    delete m_program;
    m_program = nullptr;
    const QStringList failures = m_answers.TakeFailures();
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QLatin1String("; "))));
}

// The file written is the one the chosen type and the typed name call for,
// and the next Save As opens on the type chosen (a cancel keeps the earlier).
void TstRealWidgets::saveAs_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accept");
    QTest::addColumn<QString>("written");
    QTest::addColumn<bool>("rtf");
    QTest::addColumn<QString>("kept");
    QTest::newRow("RTF, report") << kRtfEntry << "report" << true << "report.RTF" << true << kRtfEntry;
    QTest::newRow("RTF, report.rtf") << kRtfEntry << "report.rtf" << true << "report.rtf" << true << kRtfEntry;
    QTest::newRow("text, notes") << kTextEntry << "notes" << true << "notes.TXT" << false << kTextEntry;
    QTest::newRow("text, notestxt") << kTextEntry << "notestxt" << true << "notestxt" << false << kTextEntry;
    QTest::newRow("text, notes.rtf") << kTextEntry << "notes.rtf" << true << "notes.rtf.TXT" << false << kTextEntry;
    QTest::newRow("RTF, cancelled") << kRtfEntry << "report" << false << "" << false << kTextEntry;
}

void TstRealWidgets::saveAs()
{
    QFETCH(QString, entry);
    QFETCH(QString, typed);
    QFETCH(bool, accept);
    QFETCH(QString, written);
    QFETCH(bool, rtf);
    QFETCH(QString, kept);
    m_box->SetSelText(QStringLiteral("中文 abc"));
    m_box->Select(0, 2);
    m_box->SetSelColor(0x0000FF);

    m_answers.Expect("QFileDialog", AnswerFile({entry, Path(typed), accept}));
    Trigger("saveas");
    const QStringList files = QDir(m_dir->path()).entryList(QDir::Files);
    QCOMPARE(files, written.isEmpty() ? QStringList() : QStringList{written});
    if (!written.isEmpty()) {
        const QByteArray bytes = ReadAll(Path(written));
        if (rtf)
            QVERIFY2(bytes.startsWith("{\\rtf") && bytes.contains("\\red255"), bytes.left(80).constData());
        else
            QCOMPARE(bytes, QStringEncoder("GB18030").encode(QStringLiteral("中文 abc\r\n")));
    }
    m_answers.Expect("QFileDialog", OpensOn(kept));
    Trigger("saveas");
}

// Open through the real dialog, then Save writes RTF there without a dialog.
// "*.*" lists every file, names without a dot too.
void TstRealWidgets::openThenSave_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("listsReadme");
    QTest::newRow("text files") << kTextEntry << "notes.txt" << false;
    QTest::newRow("all files") << kAllEntry << "README" << true;
}

void TstRealWidgets::openThenSave()
{
    QFETCH(QString, entry);
    QFETCH(QString, file);
    QFETCH(bool, listsReadme);
    QVERIFY(WriteAll(Path(QStringLiteral("notes.txt")), QStringEncoder("GB18030").encode(QStringLiteral("笔记"))));
    QVERIFY(WriteAll(Path(QStringLiteral("README")), QStringEncoder("GB18030").encode(QStringLiteral("笔记"))));
    QVERIFY(WriteAll(Path(QStringLiteral("notestxt")), "x"));

    QStringList listed;
    const QString dir = m_dir->path();
    m_answers.Expect("QFileDialog", AnswerFile({entry, file, true, [&](QFileDialog *fd) {
                                                    fd->setDirectory(dir);
                                                    listed = ListedNames(fd, QStringLiteral("notes.txt"));
                                                    return QString();
                                                }}));
    Trigger("open");
    QCOMPARE(listed.contains(QStringLiteral("README")), listsReadme);
    QCOMPARE(listed.contains(QStringLiteral("notestxt")), listsReadme);
    QCOMPARE(m_box->Text(), QStringLiteral("笔记"));
    QCOMPARE(m_form->windowTitle(), QStringLiteral("Tesvar论坛专用记事本 - ") + Path(file));

    m_box->SetSelText(QStringLiteral("新"));
    Trigger("save");   // no dialog expected; the text file stays one
    QCOMPARE(ReadAll(Path(file)), QStringEncoder("GB18030").encode(QStringLiteral("新笔记\r\n")));
}

// A name in GBK (测试.txt) is no UTF-8: the list shows it with replacement
// characters, and choosing it opens that very file, not its look-alike.
void TstRealWidgets::opensNameThatIsNotUtf8_data()
{
    QTest::addColumn<bool>("doubleClick");
    QTest::newRow("selected, then Enter") << false;
    QTest::newRow("double click") << true;
}

void TstRealWidgets::opensNameThatIsNotUtf8()
{
    QFETCH(bool, doubleClick);
    // Qt's own removal of the folder would not see these names either.
    auto removeThem = qScopeGuard([&] {
        for (const char *name : {"/\xB2\xE2\xCA\xD4.txt", "/\xB2\xE2.txt"})
            ::unlink(QFile::encodeName(m_dir->path()) + name);
    });
    const auto write = [&](const QByteArray &name, const QString &text) {
        const QByteArray bytes = QStringEncoder("GB18030").encode(text);
        const int fd = ::open(QFile::encodeName(m_dir->path()) + "/" + name, O_WRONLY | O_CREAT | O_EXCL, 0644);
        const bool ok = fd >= 0 && ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
        return ::close(fd) == 0 && ok;
    };
    QVERIFY(write("\xB2\xE2\xCA\xD4.txt", QStringLiteral("测试内容")));
    QVERIFY(write("\xB2\xE2.txt", QStringLiteral("别的")));
    const QString shown = QString(4, QChar::ReplacementCharacter) + QStringLiteral(".txt");
    const QString dir = m_dir->path();
    m_answers.Expect("QFileDialog", AnswerFile({kTextEntry, QString(), true, [&](QFileDialog *fd) {
                                                    fd->setDirectory(dir);
                                                    if (!ListedNames(fd, shown).contains(shown))
                                                        return QStringLiteral("the name is not listed");
                                                    auto *view = fd->findChild<QTreeView *>();
                                                    const QModelIndexList hits = view->model()->match(
                                                        view->model()->index(0, 0, view->rootIndex()), Qt::DisplayRole, shown);
                                                    const QPoint at = view->visualRect(hits.value(0)).center();
                                                    if (doubleClick)
                                                        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
                                                    else
                                                        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
                                                    return QString();
                                                }}));
    Trigger("open");
    QCOMPARE(m_box->Text(), QStringLiteral("测试内容"));
    QCOMPARE(m_form->windowTitle(), QStringLiteral("Tesvar论坛专用记事本 - ") + dir + QLatin1Char('/') + shown);
}

// Sizes and dates in the Chinese way, folders called folders, and every
// column wide enough to read without scrolling sideways.
void TstRealWidgets::fileDialogReadsInChinese()
{
    QVERIFY(WriteAll(Path(QStringLiteral("a.txt")), QByteArray(121, 'x')));
    QVERIFY(WriteAll(Path(QStringLiteral("b.bin")), QByteArray(123456, 'x')));
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("sub")));
    QFile f(Path(QStringLiteral("a.txt")));
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.setFileTime(QDateTime(QDate(2023, 12, 9), QTime(10, 0)), QFileDevice::FileModificationTime));
    f.close();

    QHash<QString, QStringList> rows;
    QString cut;
    const QString dir = m_dir->path();
    const auto look = [&](QFileDialog *fd) {
        fd->setDirectory(dir);
        auto *view = fd->findChild<QTreeView *>();
        ListedNames(fd, QStringLiteral("a.txt"));
        QAbstractItemModel *model = view->model();
        for (int r = 0; r < model->rowCount(view->rootIndex()); ++r)
            for (int c = 0; c < 4; ++c)
                rows[model->index(r, 0, view->rootIndex()).data().toString()]
                    << model->index(r, c, view->rootIndex()).data().toString();
        for (int c = 1; c < 4; ++c)
            if (const int needs = static_cast<QAbstractItemView *>(view)->sizeHintForColumn(c);
                needs > view->header()->sectionSize(c))
                cut += QStringLiteral(" column %1 needs %2, has %3").arg(c).arg(needs)
                           .arg(view->header()->sectionSize(c));
        const int right = view->header()->sectionViewportPosition(3) + view->header()->sectionSize(3);
        if (right > view->viewport()->width())
            cut += QStringLiteral(" columns end at %1, view is %2 wide").arg(right).arg(view->viewport()->width());
        return QString();
    };
    m_answers.Expect("QFileDialog", AnswerFile({kAllEntry, QString(), false, look}));
    Trigger("open");
    QCOMPARE(rows.value(QStringLiteral("a.txt")).value(1), QStringLiteral("121 字节"));
    QCOMPARE(rows.value(QStringLiteral("a.txt")).value(3), QStringLiteral("2023/12/9 10:00"));
    QCOMPARE(rows.value(QStringLiteral("sub")).value(2), QStringLiteral("文件夹"));
    QVERIFY2(cut.isEmpty(), qPrintable(cut));
}

void TstRealWidgets::newAsks_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("left");
    QTest::newRow("yes empties") << "是(&Y)" << "";
    QTest::newRow("no keeps") << "否(&N)" << "abc";
}

void TstRealWidgets::newAsks()
{
    QFETCH(QString, button);
    QFETCH(QString, left);
    m_box->SetSelText(QStringLiteral("abc"));
    m_answers.Expect("QMessageBox", [button](QWidget *w) {
        const QString text = static_cast<QMessageBox *>(w)->text();
        if (text != QStringLiteral("您还没有保存,确定不保存吗？"))
            return QStringLiteral("asked \"%1\"").arg(text);
        return PressButton(QStringLiteral("询问"), button)(w);
    });
    Trigger("create");
    QCOMPARE(m_box->Text(), left);
}

// Closing with unsaved changes: Enter saves (here the name is asked for and
// not given), Escape cancels, 不保存 closes.
void TstRealWidgets::closeAsks_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("closes");
    QTest::newRow("Escape cancels") << "Escape" << false;
    QTest::newRow("Enter saves, name not given") << "Enter" << false;
    QTest::newRow("don't save closes") << "不保存(&N)" << true;
}

void TstRealWidgets::closeAsks()
{
    QFETCH(QString, answer);
    QFETCH(bool, closes);
    m_box->SetSelText(QStringLiteral("abc"));
    const Question q{QStringLiteral("是否将更改保存到 无标题？"),
                     {QStringLiteral("保存(&S)"), QStringLiteral("不保存(&N)"), QStringLiteral("取消")},
                     QStringLiteral("保存(&S)"), QStringLiteral("取消")};
    m_answers.Expect("QMessageBox", Answer(q, answer));
    if (answer == QLatin1String("Enter"))
        m_answers.Expect("QFileDialog", AnswerFile({QString(), QString(), false}));
    QCOMPARE(m_form->close(), closes);
    if (!closes)
        QCOMPARE(m_box->Text(), QStringLiteral("abc"));
}

// Saving a coloured document into the text file it came from asks first;
// only 是 writes, and then plain text.
void TstRealWidgets::plainTextSaveAsks_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("written");
    QTest::newRow("Escape writes nothing") << "Escape" << "旧";
    QTest::newRow("Enter writes nothing") << "Enter" << "旧";
    QTest::newRow("yes writes text") << "是(&Y)" << "旧\r\n";
}

void TstRealWidgets::plainTextSaveAsks()
{
    QFETCH(QString, answer);
    QFETCH(QString, written);
    const QString path = Path(QStringLiteral("old.txt"));
    QVERIFY(WriteAll(path, QStringEncoder("GB18030").encode(QStringLiteral("旧"))));
    m_answers.Expect("QFileDialog", AnswerFile({kTextEntry, path}));
    Trigger("open");
    QCOMPARE(m_form->CurrentPath(), path);
    m_box->Select(0, 1);
    m_box->SetSelColor(0x0000FF);
    const Question q{QStringLiteral("“%1”是以纯文本打开的，纯文本不能保存文档中的颜色，保存后这些都会丢失。\n是否仍然保存？").arg(path),
                     {QStringLiteral("是(&Y)"), QStringLiteral("否(&N)")}, QStringLiteral("否(&N)"),
                     QStringLiteral("否(&N)")};
    m_answers.Expect("QMessageBox", Answer(q, answer));
    Trigger("save");
    QCOMPARE(ReadAll(path), QStringEncoder("GB18030").encode(written));
}

void TstRealWidgets::insertPicture_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("accept");
    QTest::addColumn<int>("pictures");
    QTest::newRow("bitmap") << "p.bmp" << true << 1;
    QTest::newRow("broken bitmap: notice") << "broken.bmp" << true << 0;
    QTest::newRow("cancelled") << "p.bmp" << false << 0;
}

void TstRealWidgets::insertPicture()
{
    QFETCH(QString, file);
    QFETCH(bool, accept);
    QFETCH(int, pictures);
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(Qt::green);
    QVERIFY(image.save(Path(QStringLiteral("p.bmp")), "BMP"));
    QVERIFY(WriteAll(Path(QStringLiteral("broken.bmp")), "BM not a bitmap"));

    m_answers.Expect("QFileDialog", AnswerFile({QStringLiteral("图片文件(*.ico;*.bmp)"), Path(file), accept}));
    if (file.startsWith(QLatin1String("broken")))
        m_answers.Expect("QMessageBox", PressButton(QStringLiteral("提示"), QStringLiteral("确定")));
    Trigger("insterdata");
    QCOMPARE(PictureCount(*m_box), pictures);
}

void TstRealWidgets::font_data()
{
    QTest::addColumn<bool>("accept");
    QTest::newRow("confirmed") << true;
    QTest::newRow("cancelled") << false;
}

void TstRealWidgets::font()
{
    QFETCH(bool, accept);
    m_box->SetSelText(QStringLiteral("mov eax"));
    m_box->Select(0, 3);
    QString face;
    m_answers.Expect("lumora::FontDialog", [&](QWidget *w) -> QString {
        auto *faces = w->findChild<QListWidget *>(QStringLiteral("faceList"));
        auto *faceEdit = w->findChild<QLineEdit *>(QStringLiteral("faceEdit"));
        auto *sizeEdit = w->findChild<QLineEdit *>(QStringLiteral("sizeEdit"));
        auto *underline = w->findChild<QCheckBox *>(QStringLiteral("underlineCheck"));
        if (!faces || !faceEdit || !sizeEdit || !underline || faces->count() < 2)
            return QStringLiteral("font dialog without its fields");
        QListWidgetItem *other = faces->item(faces->item(0)->text() == faceEdit->text() ? 1 : 0);
        faces->scrollToItem(other);
        QTest::mouseClick(faces->viewport(), Qt::LeftButton, {}, faces->visualItemRect(other).center());
        face = faceEdit->text();
        QTest::keyClick(sizeEdit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(sizeEdit, QStringLiteral("14"));
        QTest::mouseClick(underline, Qt::LeftButton, {}, QPoint(8, underline->height() / 2));
        const char *button = accept ? "okButton" : "cancelButton";
        QTest::mouseClick(w->findChild<QPushButton *>(QLatin1String(button)), Qt::LeftButton);
        return QString();
    });
    Trigger("setfo");
    const QTextCharFormat f = m_box->FormatAt(0);
    QCOMPARE(f.fontUnderline(), accept);
    QCOMPARE(f.fontPointSize() == 14.0, accept);
    QCOMPARE(f.fontFamilies().toStringList().value(0) == face, accept);
}

// Dropped text goes in as plain text; dropped files put nothing in.
void TstRealWidgets::drop_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("expected");
    QTest::newRow("text") << "text" << "[a\r\nb]";
    QTest::newRow("formatted text") << "html" << "[bold]";
    QTest::newRow("a file") << "file" << "[]";
    QTest::newRow("files with their names as text") << "files+text" << "[]";
}

void TstRealWidgets::drop()
{
    QFETCH(QString, kind);
    QFETCH(QString, expected);
    m_box->SetSelText(QStringLiteral("[]"));
    m_box->SetSelStart(1);
    QMimeData mime;
    const QList<QUrl> files{QUrl::fromLocalFile(Path(QStringLiteral("a.txt"))),
                            QUrl::fromLocalFile(Path(QStringLiteral("b.rtf")))};
    if (kind == QLatin1String("text"))
        mime.setText(QStringLiteral("a\nb"));
    if (kind == QLatin1String("html")) {
        mime.setHtml(QStringLiteral("<b style='color:red'>bold</b>"));
        mime.setText(QStringLiteral("bold"));
    }
    if (kind.startsWith(QLatin1String("file")))
        mime.setUrls(files);
    if (kind == QLatin1String("files+text"))
        mime.setText(files.first().toString());

    QWidget *target = m_box->viewport();
    const QPoint at = m_box->CaretRect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    QCOMPARE(m_box->Text(), expected);
    QCOMPARE(drop.isAccepted(), expected != QLatin1String("[]"));
    if (kind == QLatin1String("html"))
        QVERIFY(!m_box->FormatAt(m_box->SelStart() - 1).font().bold());
}

QTEST_MAIN(TstRealWidgets)
#include "tst_real_widgets.moc"
