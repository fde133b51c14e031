#include "module1/geometry.h"
#include "module1/number_format.h"

#include <QAction>
#include <QWidget>
#include <QtTest>

using namespace lumora;

namespace {

// A window with a client size we set and any controls we like.
class FakeWindow : public LayoutWindow
{
public:
    float width = 12375, height = 8295;
    QList<QObject *> controls;
    GeometryReference ref;
    float ScaleWidth() const override { return width; }
    float ScaleHeight() const override { return height; }
    QList<QObject *> Controls() const override { return controls; }
    GeometryReference &Reference() override { return ref; }
};

} // namespace

class TstGeometry : public QObject
{
    Q_OBJECT
private slots:
    void formatGeneral_data();
    void formatGeneral();
    void roundHalfEven_data();
    void roundHalfEven();
    void record();
    void parse_data();
    void parse();
    void recordSkipsWhatHasNoRectangle();
    void scaling_data();
    void scaling();
    void referenceNeverChanges();
    void zeroReferenceDoesNothing();
};

void TstGeometry::formatGeneral_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("digits");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << 0.0 << 7 << "0";
    QTest::newRow("negative zero") << -0.0 << 15 << "0";
    QTest::newRow("twips") << 12375.0 << 7 << "12375";
    QTest::newRow("seven digits") << 1234567.0 << 7 << "1234567";
    QTest::newRow("eight digits") << 12345678.0 << 7 << "1.234568E+07";
    QTest::newRow("half") << 0.5 << 7 << "0.5";
    QTest::newRow("ten thirds") << 10.0 / 3 << 15 << "3.33333333333333";
    QTest::newRow("two thirds") << 2.0 / 3 << 15 << "0.666666666666667";
    QTest::newRow("tiny") << 1.0 / 2147483647 << 15 << "4.6566128752458E-10";
    QTest::newRow("big whole") << 2147483648.0 << 15 << "2147483648";
    QTest::newRow("negative half") << -0.5 << 15 << "-0.5";
    QTest::newRow("1e-4 stays fixed") << 0.0001 << 15 << "0.0001";
    QTest::newRow("1e-5 goes exponent") << 0.00001 << 15 << "1E-05";
}

void TstGeometry::formatGeneral()
{
    QFETCH(double, value);
    QFETCH(int, digits);
    QFETCH(QString, text);
    QCOMPARE(FormatGeneral(value, digits), text);
}

void TstGeometry::roundHalfEven_data()
{
    QTest::addColumn<double>("in");
    QTest::addColumn<double>("out");
    QTest::newRow("2.5") << 2.5 << 2.0;
    QTest::newRow("3.5") << 3.5 << 4.0;
    QTest::newRow("-2.5") << -2.5 << -2.0;
    QTest::newRow("12374.5") << 12374.5 << 12374.0;
    QTest::newRow("8295.5") << 8295.5 << 8296.0;
    QTest::newRow("2.4") << 2.4 << 2.0;
    QTest::newRow("2.6") << 2.6 << 3.0;
}

void TstGeometry::roundHalfEven()
{
    QFETCH(double, in);
    QFETCH(double, out);
    QCOMPARE(RoundHalfEven(in), out);
}

void TstGeometry::record()
{
    QCOMPARE(GeometryRecord(0, 0, 12375, 8295), QStringLiteral("0 0 12375 8295 "));
    QCOMPARE(GeometryRecord(120, 240, 1095, 255), QStringLiteral("120 240 1095 255 "));
}

void TstGeometry::parse_data()
{
    QTest::addColumn<QString>("record");
    QTest::addColumn<QList<double>>("values");
    QTest::newRow("editing area") << "0 0 12375 8295 " << QList<double>{0, 0, 12375, 8295, 0};
    QTest::newRow("empty") << "" << QList<double>{0, 0, 0, 0, 0};
    QTest::newRow("no final space") << "1 2 3 4" << QList<double>{1, 2, 3, 0, 0};
    QTest::newRow("fifth number") << "1 2 3 4 5 " << QList<double>{1, 2, 3, 4, 5};
    // A piece that is not a number leaves the slot as the last control had it.
    QTest::newRow("not a number") << "x 7 " << QList<double>{-1, 7, 0, 0, 0};
}

void TstGeometry::parse()
{
    QFETCH(QString, record);
    QFETCH(QList<double>, values);
    double got[5] = {-1, -1, -1, -1, -1};
    ParseGeometryRecord(record, got);
    for (int i = 0; i < 5; ++i)
        QCOMPARE(got[i], values[i]);
}

void TstGeometry::recordSkipsWhatHasNoRectangle()
{
    FakeWindow win;
    QWidget container;
    auto *area = new QWidget(&container);
    area->setGeometry(0, 0, 825, 553);
    QAction item(QStringLiteral("新建(&N)"));
    QObject component;
    win.controls = {&component, area, &item};
    RecordGeometry(win);
    QCOMPARE(win.ref.RefWidth, 12375);
    QCOMPARE(win.ref.RefHeight, 8295);
    QCOMPARE(area->property("Tag").toString(), QStringLiteral("0 0 12375 8295 "));
    QVERIFY(!item.property("Tag").isValid());
    QVERIFY(!component.property("Tag").isValid());
}

void TstGeometry::scaling_data()
{
    QTest::addColumn<float>("w");
    QTest::addColumn<float>("h");
    QTest::addColumn<QRect>("expected");
    QTest::newRow("same size") << 12375.f << 8295.f << QRect(0, 0, 825, 553);
    QTest::newRow("double width") << 24750.f << 8295.f << QRect(0, 0, 1650, 553);
    QTest::newRow("minimised") << 0.f << 0.f << QRect(0, 0, 0, 0);
    QTest::newRow("maximised") << 28800.f << 15000.f << QRect(0, 0, 1920, 1000);
    QTest::newRow("smaller") << 6000.f << 3000.f << QRect(0, 0, 400, 200);
}

void TstGeometry::scaling()
{
    QFETCH(float, w);
    QFETCH(float, h);
    QFETCH(QRect, expected);
    FakeWindow win;
    QWidget container;
    auto *area = new QWidget(&container);
    area->setGeometry(0, 0, 825, 553);
    QAction item(QStringLiteral("item"));
    win.controls = {&item, area};
    RecordGeometry(win);
    win.width = w;
    win.height = h;
    ApplyGeometry(win);
    QCOMPARE(area->geometry(), expected);
}

void TstGeometry::referenceNeverChanges()
{
    FakeWindow win;
    QWidget container;
    auto *inner = new QWidget(&container);
    inner->setGeometry(60, 30, 300, 150);   // a control that does not fill the window
    win.controls = {inner};
    RecordGeometry(win);
    for (float w : {30000.f, 100.f, 0.f, 12375.f}) {
        win.width = w;
        ApplyGeometry(win);
    }
    QCOMPARE(inner->geometry(), QRect(60, 30, 300, 150));
    QCOMPARE(inner->property("Tag").toString(), QStringLiteral("900 450 4500 2250 "));
}

void TstGeometry::zeroReferenceDoesNothing()
{
    FakeWindow win;
    QWidget container;
    auto *area = new QWidget(&container);
    area->setGeometry(1, 2, 3, 4);
    area->setProperty("Tag", QStringLiteral("0 0 15 15 "));
    win.controls = {area};
    ApplyGeometry(win);   // RecordGeometry never ran
    QCOMPARE(area->geometry(), QRect(1, 2, 3, 4));
}

QTEST_MAIN(TstGeometry)
#include "tst_geometry.moc"
