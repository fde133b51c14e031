#include "module1/window_fit.h"

#include <QtTest>

using namespace lumora;

class TstWindowFit : public QObject
{
    Q_OBJECT
private slots:
    void fit_data();
    void fit();
};

// The free area of an 800 x 500 screen (1600 x 1000 at scale 2) under a
// 30-pixel panel along the top.
void TstWindowFit::fit_data()
{
    QTest::addColumn<QRect>("frame");
    QTest::addColumn<QRect>("fitted");
    QTest::newRow("fits: unchanged") << QRect(285, 113, 400, 300) << QRect(285, 113, 400, 300);
    QTest::newRow("fits exactly") << QRect(0, 30, 800, 470) << QRect(0, 30, 800, 470);
    QTest::newRow("too wide") << QRect(100, 100, 900, 300) << QRect(0, 100, 800, 300);
    QTest::newRow("too tall") << QRect(100, 100, 300, 600) << QRect(100, 30, 300, 470);
    QTest::newRow("off to the right") << QRect(600, 100, 300, 200) << QRect(500, 100, 300, 200);
    QTest::newRow("off the bottom") << QRect(100, 400, 300, 200) << QRect(100, 300, 300, 200);
    QTest::newRow("above and left of the area") << QRect(-50, 0, 300, 200) << QRect(0, 30, 300, 200);
    QTest::newRow("both: the main window at scale 2")
        << QRect(285, 113, 827, 586) << QRect(0, 30, 800, 470);
}

void TstWindowFit::fit()
{
    QFETCH(QRect, frame);
    QFETCH(QRect, fitted);
    QCOMPARE(FitIntoArea(frame, QRect(0, 30, 800, 470)), fitted);
}

QTEST_GUILESS_MAIN(TstWindowFit)
#include "tst_window_fit.moc"
