#include "shared_ui/common_dialog.h"
#include "main_window/main_window.h"
#include "main_window/program.h"
#include "rich_text/rich_text_box.h"
#include "shared_ui/secondary_window.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QtTest>

using namespace lumora;

class TstMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void titleAndPlacement();
    void menuTree_data();
    void menuTree();
    void menusInOrder();
    void noShortcutsAllEnabled();
    void editingAreaFillsClient();
    void geometryRecord();
    void doubleWidth();
    void minimiseAndRestore();
    void maximiseAndRestore();
    void aboutWindow();
    void aboutTwiceIsOneWindow();
    void editorUsableWithSecondaryOpen();
    void closingMainLeavesOthersOpen();

private:
    Program *m_program = nullptr;
    MainWindow *m_form = nullptr;
};

void TstMainWindow::init()
{
    m_program = new Program;
    m_form = m_program->Start();
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
}

void TstMainWindow::cleanup()
{
    delete m_program;
    m_program = nullptr;
    m_form = nullptr;
}

void TstMainWindow::titleAndPlacement()
{
    QCOMPARE(m_form->windowTitle(), QStringLiteral("Lumora记事本加强版"));
    QCOMPARE(m_form->pos(), QPoint(285, 113));
    QCOMPARE(m_form->centralWidget()->size(), QSize(825, 553));
    QVERIFY(m_form->windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(m_form->windowFlags() & Qt::WindowMaximizeButtonHint);
    QCOMPARE(m_form->windowIcon().availableSizes(), QList<QSize>{QSize(32, 32)});
    QCOMPARE(m_form->CurrentPath(), QString());
}

void TstMainWindow::menuTree_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("menuCaption");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QStringList>("captions");
    QTest::newRow("filez") << "filez" << "文件(&F)" << QStringList{"create", "open", "save", "saveas"}
                           << QStringList{"新建(&N)", "打开(&O)", "保存(&S)", "另存为(&A)"};
    QTest::newRow("edit") << "edit" << "编辑(&E)" << QStringList{"unndo", "x", "find", "copy", "shit", "insterdata"}
                          << QStringList{"撤销(&U)", "", "查找", "复制", "粘贴", "插入图片"};
    QTest::newRow("formatt") << "formatt" << "格式(&F)" << QStringList{"autoendl", "setfo"} << QStringList{"自动换行", "字体"};
    QTest::newRow("hl") << "hl" << "语法高亮(&H)" << QStringList{"sethl"} << QStringList{"OD语法高亮"};
    QTest::newRow("tools") << "tools" << "便捷工具" << QStringList{"crackcale"} << QStringList{"破解计算器"};
    QTest::newRow("abv") << "abv" << "关于" << QStringList{"about"} << QStringList{"关于"};
}

void TstMainWindow::menuTree()
{
    QFETCH(QString, menu);
    QFETCH(QString, menuCaption);
    QFETCH(QStringList, items);
    QFETCH(QStringList, captions);
    auto *m = m_form->menuBar()->findChild<QMenu *>(menu);
    QVERIFY(m);
    QCOMPARE(m->title(), menuCaption);
    const QList<QAction *> actions = m->actions();
    QCOMPARE(actions.size(), items.size());
    for (int i = 0; i < actions.size(); ++i) {
        QCOMPARE(actions[i]->objectName(), items[i]);
        if (items[i] == QLatin1String("x"))
            QVERIFY(actions[i]->isSeparator());
        else
            QCOMPARE(actions[i]->text(), captions[i]);
        QCOMPARE(actions[i]->isCheckable(), items[i] == QLatin1String("autoendl"));
    }
}

void TstMainWindow::menusInOrder()
{
    QStringList names;
    for (QAction *a : m_form->menuBar()->actions())
        names << a->objectName();
    QCOMPARE(names, (QStringList{"filez", "edit", "formatt", "hl", "tools", "abv"}));
    QVERIFY(m_form->MenuItem(QStringLiteral("autoendl"))->isChecked());
}

void TstMainWindow::noShortcutsAllEnabled()
{
    for (QAction *a : m_form->menuBar()->findChildren<QAction *>()) {
        QVERIFY2(a->shortcuts().isEmpty(), qPrintable(a->objectName()));
        QVERIFY2(a->isEnabled() && a->isVisible(), qPrintable(a->objectName()));
    }
}

void TstMainWindow::editingAreaFillsClient()
{
    RichTextBox *box = m_form->Editor();
    QCOMPARE(box->parentWidget(), m_form->centralWidget());
    QCOMPARE(box->geometry(), QRect(0, 0, 825, 553));
    QCOMPARE(box->Text(), QString());
    QVERIFY(box->WordWrap());
    QCOMPARE(QApplication::focusWidget(), box);
}

void TstMainWindow::geometryRecord()
{
    QCOMPARE(m_form->Editor()->property("Tag").toString(), QStringLiteral("0 0 12375 8295 "));
    QCOMPARE(m_form->Reference().RefWidth, 12375);
    QCOMPARE(m_form->Reference().RefHeight, 8295);
    QVERIFY(!m_form->Dialog()->property("Tag").isValid());
    QVERIFY(m_form->MenuItem(QStringLiteral("create"))->property("Tag").toString().isEmpty());
}

void TstMainWindow::doubleWidth()
{
    const QSize client = m_form->centralWidget()->size();
    m_form->resize(m_form->width() + client.width(), m_form->height());
    QTRY_COMPARE(m_form->centralWidget()->width(), 1650);
    QCOMPARE(m_form->Editor()->geometry(), QRect(QPoint(0, 0), m_form->centralWidget()->size()));
    QCOMPARE(m_form->Editor()->height(), 553);
}

void TstMainWindow::minimiseAndRestore()
{
    m_form->showMinimized();
    QTRY_VERIFY(m_form->isMinimized());
    QCOMPARE(m_form->Editor()->size(), QSize(0, 0));
    m_form->showNormal();
    QTRY_VERIFY(!m_form->isMinimized());
    QCOMPARE(m_form->Editor()->geometry(), QRect(QPoint(0, 0), m_form->centralWidget()->size()));
    QCOMPARE(m_form->Editor()->size(), QSize(825, 553));
}

void TstMainWindow::maximiseAndRestore()
{
    m_form->showMaximized();
    QTRY_VERIFY(m_form->isMaximized());
    QTRY_VERIFY(m_form->centralWidget()->size() != QSize(825, 553));
    QCOMPARE(m_form->Editor()->geometry(), QRect(QPoint(0, 0), m_form->centralWidget()->size()));
    m_form->showNormal();
    QTRY_COMPARE(m_form->centralWidget()->size(), QSize(825, 553));
    QCOMPARE(m_form->Editor()->geometry(), QRect(0, 0, 825, 553));
}

void TstMainWindow::aboutWindow()
{
    m_form->MenuItem(QStringLiteral("about"))->trigger();
    QWidget *about = m_program->About().Window();
    QVERIFY(about && about->isVisible());
    QCOMPARE(about->windowTitle(), QStringLiteral("关于"));
    QCOMPARE(about->size(), QSize(312, 58));
    QCOMPARE(about->minimumSize(), about->maximumSize());
    QVERIFY(!(about->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QVERIFY(!about->parentWidget());
    auto *l1 = about->findChild<QLabel *>(QStringLiteral("Label1"));
    auto *l2 = about->findChild<QLabel *>(QStringLiteral("Label2"));
    QVERIFY(l1 && l2);
    QVERIFY(l1->text().startsWith(QStringLiteral("Lumora记事本加强版 V1.0")));
    QCOMPARE(l1->geometry(), QRect(8, 8, 289, 33));
    QCOMPARE(l2->text(), QStringLiteral("语法高亮功能目前还不能百分百正确识别！"));
    QCOMPARE(l2->geometry(), QRect(8, 40, 297, 17));
    QVERIFY(l1->wordWrap() && l2->wordWrap());
}

void TstMainWindow::aboutTwiceIsOneWindow()
{
    m_form->MenuItem(QStringLiteral("about"))->trigger();
    QWidget *about = m_program->About().Window();
    m_form->activateWindow();
    QTRY_VERIFY(m_form->isActiveWindow());
    m_form->MenuItem(QStringLiteral("about"))->trigger();
    QCOMPARE(m_program->About().Window(), about);
    QTRY_VERIFY(about->isActiveWindow());
    int abouts = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        abouts += w->objectName() == QLatin1String("Form4") ? 1 : 0;
    QCOMPARE(abouts, 1);
}

void TstMainWindow::editorUsableWithSecondaryOpen()
{
    m_form->MenuItem(QStringLiteral("about"))->trigger();
    m_form->MenuItem(QStringLiteral("find"))->trigger();
    m_form->MenuItem(QStringLiteral("crackcale"))->trigger();
    RichTextBox *box = m_form->Editor();
    box->SetFocus();
    QTRY_VERIFY(m_form->isActiveWindow());
    QTest::keyClicks(box, QStringLiteral("mov eax"));
    QCOMPARE(box->Text(), QStringLiteral("mov eax"));
    QCOMPARE(m_form->windowTitle(), QStringLiteral("Lumora记事本加强版"));
}

void TstMainWindow::closingMainLeavesOthersOpen()
{
    m_form->MenuItem(QStringLiteral("about"))->trigger();
    QWidget *about = m_program->About().Window();
    QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);
    m_form->close();
    QTRY_VERIFY(!m_program->Main());
    QVERIFY(about->isVisible());
    QCOMPARE(lastClosed.count(), 0);
}

QTEST_MAIN(TstMainWindow)
#include "tst_main_window.moc"
