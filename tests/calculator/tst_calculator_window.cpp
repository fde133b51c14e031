#include "calculator/calculator_window.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QLabel>
#include <QtTest>

using namespace lumora;

namespace {

template <typename T = QWidget>
T *Child(QWidget *window, const char *name)
{
    T *child = window->findChild<T *>(QLatin1String(name));
    if (!child)
        qFatal("no control %s", name);
    return child;
}

QString FieldText(QWidget *window, const char *name)
{
    return Child<QLineEdit>(window, name)->text();
}

void Type(QWidget *window, const char *name, const QString &text)
{
    auto *field = Child<QLineEdit>(window, name);
    field->clear();
    QTest::keyClicks(field, text);
}

void Click(QWidget *window, const char *name)
{
    QTest::mouseClick(Child<QAbstractButton>(window, name), Qt::LeftButton);
}

QLabel *Notice(QWidget *window)
{
    return Child<QLabel>(window, "RefusalNotice");
}

// The refusal notice shows `why` right under the field, no wider than it.
bool NoticeAt(QWidget *window, const char *fieldName, Refusal why)
{
    QLabel *notice = Notice(window);
    QWidget *field = Child(window, fieldName);
    const QPoint under = field->mapToGlobal(QPoint(0, field->height() + 1));
    const bool ok = notice->isVisible() && notice->text() == RefusalReason(why) && notice->pos() == under
                    && notice->width() <= field->width() && notice->height() > 0;
    if (!ok)
        qWarning() << "notice" << notice->isVisible() << notice->text() << notice->geometry() << "under" << under
                   << field->width();
    return ok;
}

} // namespace

class TstCalculatorWindow : public QObject
{
    Q_OBJECT
private slots:
    void designState();
    void conversion();
    void operationsAndRefusal();
    void noticeOutlivesThePointerAndGoesAtTheNextKey();
    void reopenShowsDesignState();
};

void TstCalculatorWindow::designState()
{
    CalculatorWindow form;
    std::unique_ptr<QWidget> w(form.CreateFromDesign());
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));

    QCOMPARE(w->windowTitle(), QStringLiteral("破解计算器"));
    QCOMPARE(w->size(), QSize(411, 302));
    QCOMPARE(w->minimumSize(), w->maximumSize());
    QVERIFY(w->windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(!(w->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(!w->parentWidget());

    for (const char *name : {"Text1", "Text2", "Text3", "Text4", "Text5"})
        QVERIFY2(FieldText(w.get(), name).isEmpty(), name);
    QVERIFY(Child<QRadioButton>(w.get(), "Option2")->isChecked());
    QVERIFY(!Child<QRadioButton>(w.get(), "Option1")->isChecked());
    QVERIFY(Child<QGroupBox>(w.get(), "Frame1")->title().isEmpty());
    QVERIFY(Child<QGroupBox>(w.get(), "Frame2")->title().isEmpty());

    // Twips over 15, relative to the enclosing group.
    QCOMPARE(Child(w.get(), "Frame1")->geometry(), QRect(8, 168, 393, 121));
    QCOMPARE(Child(w.get(), "Text1")->parentWidget()->objectName(), QStringLiteral("Frame1"));
    QCOMPARE(Child(w.get(), "Text1")->geometry(), QRect(72, 19, 313, 20));
    QCOMPARE(Child(w.get(), "Text5")->parentWidget()->objectName(), QStringLiteral("Frame2"));
    QCOMPARE(Child(w.get(), "Command6")->geometry(), QRect(288, 112, 89, 25));

    // Tab order as the keyboard walks it, from the focused field: the option
    // group is one stop, at its selected button, both ways.
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    QTRY_COMPARE(QApplication::focusWidget(), Child(w.get(), "Text1"));
    const auto walk = [](Qt::Key key, int steps) {
        QStringList seen;
        for (int i = 0; i < steps; ++i) {
            QTest::keyClick(QApplication::focusWidget(), key);
            seen << QApplication::focusWidget()->objectName();
        }
        return seen;
    };
    QCOMPARE(walk(Qt::Key_Tab, 13), QStringList({"Text2", "Command1", "Command2", "Option2", "Text3", "Text4", "Text5",
                                                 "Command3", "Command4", "Command5", "Command6", "Text1", "Text2"}));
    Click(w.get(), "Option1");
    Child(w.get(), "Command2")->setFocus();
    QCOMPARE(walk(Qt::Key_Tab, 2), QStringList({"Option1", "Text3"}));
    QCOMPARE(walk(Qt::Key_Backtab, 2), QStringList({"Option1", "Command2"}));
    // An arrow key moves the selection, and the stop with it.
    QStringList seen = walk(Qt::Key_Tab, 1);
    seen += walk(Qt::Key_Right, 1);
    seen += walk(Qt::Key_Tab, 1);
    seen += walk(Qt::Key_Backtab, 1);
    QCOMPARE(seen, QStringList({"Option1", "Option2", "Text3", "Option2"}));
    QVERIFY(Child<QRadioButton>(w.get(), "Option2")->isChecked());
}

void TstCalculatorWindow::conversion()
{
    CalculatorWindow form;
    std::unique_ptr<QWidget> w(form.CreateFromDesign());
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));

    Type(w.get(), "Text1", "255");
    Click(w.get(), "Command1");
    QCOMPARE(FieldText(w.get(), "Text2"), QStringLiteral("FF"));

    // A refused entry keeps the earlier hexadecimal text and says why.
    Type(w.get(), "Text1", "12abc");
    Click(w.get(), "Command1");
    QCOMPARE(FieldText(w.get(), "Text2"), QStringLiteral("FF"));
    QCOMPARE(FieldText(w.get(), "Text1"), QStringLiteral("12abc"));
    QVERIFY(NoticeAt(w.get(), "Text1", Refusal::NotDecimal));

    Type(w.get(), "Text2", "FFFFFFFF");
    Click(w.get(), "Command2");
    QCOMPARE(FieldText(w.get(), "Text1"), QStringLiteral("268435455"));
    QCOMPARE(FieldText(w.get(), "Text2"), QStringLiteral("FFFFFFFF"));
}

void TstCalculatorWindow::operationsAndRefusal()
{
    CalculatorWindow form;
    std::unique_ptr<QWidget> w(form.CreateFromDesign());
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));

    // Opens in hexadecimal mode.
    Type(w.get(), "Text3", "FF");
    Type(w.get(), "Text4", "1");
    Click(w.get(), "Command3");
    QCOMPARE(FieldText(w.get(), "Text5"), QStringLiteral("100"));
    Click(w.get(), "Command4");
    QCOMPARE(FieldText(w.get(), "Text5"), QStringLiteral("FE"));

    Click(w.get(), "Option1");
    QVERIFY(!Child<QRadioButton>(w.get(), "Option2")->isChecked());
    Type(w.get(), "Text3", "10");
    Type(w.get(), "Text4", "4");
    Click(w.get(), "Command6");
    QCOMPARE(FieldText(w.get(), "Text5"), QStringLiteral("2.5"));
    Click(w.get(), "Command5");
    QCOMPARE(FieldText(w.get(), "Text5"), QStringLiteral("40"));

    // Refused: the earlier result, the operands and the mode all stay.
    Type(w.get(), "Text4", "0");
    Click(w.get(), "Command6");
    QCOMPARE(FieldText(w.get(), "Text5"), QStringLiteral("40"));
    QCOMPARE(FieldText(w.get(), "Text3"), QStringLiteral("10"));
    QCOMPARE(FieldText(w.get(), "Text4"), QStringLiteral("0"));
    QVERIFY(Child<QRadioButton>(w.get(), "Option1")->isChecked());
    QVERIFY(NoticeAt(w.get(), "Text4", Refusal::DivideByZero));

    Type(w.get(), "Text3", "2147483647");
    Type(w.get(), "Text4", "1");
    Click(w.get(), "Command3");
    QCOMPARE(FieldText(w.get(), "Text5"), QStringLiteral("40"));
    QVERIFY(NoticeAt(w.get(), "Text5", Refusal::Overflow));
}

void TstCalculatorWindow::noticeOutlivesThePointerAndGoesAtTheNextKey()
{
    CalculatorWindow form;
    std::unique_ptr<QWidget> w(form.CreateFromDesign());
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    QVERIFY(!Notice(w.get())->isVisible());

    // The longest reason, under operand 1, must stay clear of the buttons.
    Type(w.get(), "Text3", "0x");
    Type(w.get(), "Text4", "1");
    Click(w.get(), "Command5");
    QVERIFY(NoticeAt(w.get(), "Text3", Refusal::NotHexadecimal));
    QVERIFY(Notice(w.get())->geometry().right() < Child(w.get(), "Command5")->mapToGlobal(QPoint(0, 0)).x());

    // The pointer leaving the button or the window does not take it away.
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(Child(w.get(), "Command5"), &leave);
    QApplication::sendEvent(w.get(), &leave);
    QTest::qWait(400);
    QVERIFY(Notice(w.get())->isVisible());

    QTest::keyClick(Child(w.get(), "Text3"), Qt::Key_End);
    QVERIFY(!Notice(w.get())->isVisible());

    // A correct click after a refusal writes its result and takes the
    // notice away.
    Click(w.get(), "Command5");
    QVERIFY(Notice(w.get())->isVisible());
    Child<QLineEdit>(w.get(), "Text3")->setText(QStringLiteral("0x10"));
    Click(w.get(), "Command5");
    QCOMPARE(FieldText(w.get(), "Text5"), QStringLiteral("10"));
    QVERIFY(!Notice(w.get())->isVisible());
}

void TstCalculatorWindow::reopenShowsDesignState()
{
    SecondaryWindow holder([] { return std::make_unique<CalculatorWindow>(); });
    holder.Show();
    QPointer<QWidget> first = holder.Window();
    Type(first, "Text1", "16");
    Type(first, "Text3", "1");
    Click(first, "Option1");
    first->close();
    QTRY_VERIFY(first.isNull());

    holder.Show();
    QWidget *w = holder.Window();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    for (const char *name : {"Text1", "Text2", "Text3", "Text4", "Text5"})
        QVERIFY2(FieldText(w, name).isEmpty(), name);
    QVERIFY(Child<QRadioButton>(w, "Option2")->isChecked());

    // The handlers work on the new window's fields.
    Type(w, "Text1", "16");
    Click(w, "Command1");
    QCOMPARE(FieldText(w, "Text2"), QStringLiteral("10"));
}

QTEST_MAIN(TstCalculatorWindow)
#include "tst_calculator_window.moc"
