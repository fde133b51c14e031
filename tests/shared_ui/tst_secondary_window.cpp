#include "shared_ui/secondary_window.h"

#include <QLineEdit>
#include <QtTest>

using namespace lumora;

namespace {

class Design : public FormDesign
{
public:
    int created = 0;
    int variable = 0;   // stands for a window object's own state
    QWidget *CreateFromDesign() override
    {
        ++created;
        auto *w = new QWidget(nullptr, Qt::Window);
        auto *field = new QLineEdit(w);
        field->setObjectName(QStringLiteral("Text1"));
        return w;
    }
};

} // namespace

class TstSecondaryWindow : public QObject
{
    Q_OBJECT
private slots:
    void createdAtFirstRequestOnly();
    void secondShowRaisesTheSameWindow();
    void closeDestroysAndReopenRecreates();
};

void TstSecondaryWindow::createdAtFirstRequestOnly()
{
    int made = 0;
    SecondaryWindow holder([&] { ++made; return std::make_unique<Design>(); });
    QCOMPARE(made, 0);
    QVERIFY(!holder.Form());
    holder.Show();
    QCOMPARE(made, 1);
    QVERIFY(holder.Window()->isVisible());
    QVERIFY(!holder.Window()->parentWidget());   // no owner window
}

void TstSecondaryWindow::secondShowRaisesTheSameWindow()
{
    SecondaryWindow holder([] { return std::make_unique<Design>(); });
    holder.Show();
    QWidget *first = holder.Window();
    QWidget other;
    other.show();
    other.activateWindow();
    QTRY_VERIFY(other.isActiveWindow());
    holder.Show();
    QCOMPARE(holder.Window(), first);
    QCOMPARE(static_cast<Design *>(holder.Form())->created, 1);
    QTRY_VERIFY(first->isActiveWindow());
}

void TstSecondaryWindow::closeDestroysAndReopenRecreates()
{
    SecondaryWindow holder([] { return std::make_unique<Design>(); });
    holder.Show();
    auto *design = static_cast<Design *>(holder.Form());
    design->variable = 42;
    QPointer<QWidget> first = holder.Window();
    first->findChild<QLineEdit *>(QStringLiteral("Text1"))->setText(QStringLiteral("typed"));
    first->close();
    QTRY_VERIFY(first.isNull());
    QVERIFY(!holder.Window());
    holder.Show();
    QCOMPARE(holder.Form(), design);
    QCOMPARE(design->variable, 42);
    QCOMPARE(design->created, 2);
    QCOMPARE(holder.Window()->findChild<QLineEdit *>(QStringLiteral("Text1"))->text(), QString());
}

QTEST_MAIN(TstSecondaryWindow)
#include "tst_secondary_window.moc"
