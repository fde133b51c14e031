// The page lumora-batch writes, as a real browser shows it: headless
// Chromium takes a screenshot, whose pixels must show every rule's colour.
// Skips where no chromium is installed.
#include "highlight/core/highlight_core.h"

#include "tests/support/test_files.h"

#include <QImage>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace lumora;
using namespace lumora::testing;

namespace {

// One line per rule, each long enough to give its colour plenty of pixels.
const QByteArray kListing = "MOV EAX,EAX\r\n"
                            "JNZ SHORT 00401000\r\n"
                            "CALL GetDlgItemTextA\r\n"
                            "DWORD PTR [EBP+EBP+8]\r\n"
                            "; comment, 注释 HHHH\r\n"
                            "MOVZX EAX,AL";

QColor RuleColor(int rule)
{
    const quint32 c = kRuleColors[size_t(rule)];
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

bool Near(QRgb p, const QColor &c)
{
    constexpr int kSlack = 12;
    return qAbs(qRed(p) - c.red()) <= kSlack && qAbs(qGreen(p) - c.green()) <= kSlack
        && qAbs(qBlue(p) - c.blue()) <= kSlack;
}

// Pixels of the colour whose eight neighbours have it too: the inside of a
// stroke, never the blended edge of a stroke of another colour.
int SolidPixels(const QImage &image, const QColor &c)
{
    int count = 0;
    for (int y = 1; y + 1 < image.height(); ++y)
        for (int x = 1; x + 1 < image.width(); ++x) {
            bool solid = true;
            for (int dy = -1; dy <= 1 && solid; ++dy)
                for (int dx = -1; dx <= 1 && solid; ++dx)
                    solid = Near(image.pixel(x + dx, y + dy), c);
            count += solid;
        }
    return count;
}

} // namespace

class TstBrowserPage : public QObject
{
    Q_OBJECT
private slots:
    void ruleColoursOnScreen();
};

void TstBrowserPage::ruleColoursOnScreen()
{
    const QString chromium = QStandardPaths::findExecutable(QStringLiteral("chromium"));
    if (chromium.isEmpty())
        QSKIP("no chromium installed");
    QTemporaryDir dir;
    QVERIFY(WriteAll(dir.filePath("data-EAX.txt"), "EAX"));
    QVERIFY(WriteAll(dir.filePath("data-jmp.txt"), "JNZ SHORT"));
    QVERIFY(WriteAll(dir.filePath("data-mov.txt"), "MOV"));
    QVERIFY(WriteAll(dir.filePath("data-finda.txt"), "GetDlgItemTextA"));
    QVERIFY(WriteAll(dir.filePath("in.txt"), kListing));
    const QString page = dir.filePath("listing.html"), shot = dir.filePath("shot.png");
    const ProgramRun batch = RunProgram(QStringLiteral(LUMORA_BATCH),
                                        {"--highlight", "--lists", dir.path(), dir.filePath("in.txt"), page});
    QCOMPARE(batch.exitCode, 0);

    QDir(dir.path()).mkdir("profile");
    const ProgramRun browser = RunProgram(
        chromium, {"--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                   "--disable-background-networking", "--disable-component-update", "--disable-sync",
                   "--hide-scrollbars", "--user-data-dir=" + dir.filePath("profile"), "--force-device-scale-factor=4",
                   "--window-size=480,200", "--screenshot=" + shot, QUrl::fromLocalFile(page).toString()});
    const QImage image(shot);
    if (image.isNull())
        dir.setAutoRemove(false);
    QVERIFY2(!image.isNull(), qPrintable(QStringLiteral("no screenshot in %1 (exit %2): %3")
                                             .arg(dir.path()).arg(browser.exitCode).arg(browser.err.right(2000))));
    for (int rule = 0; rule < kRuleCount; ++rule) {
        const int solid = SolidPixels(image, RuleColor(rule));
        qInfo("rule %d %s: %d solid pixels", rule, qPrintable(RuleColor(rule).name()), solid);
        if (solid < 50)
            dir.setAutoRemove(false);
        QVERIFY2(solid >= 50, qPrintable(QStringLiteral("rule %1 (%2): %3 solid pixels in %4")
                                              .arg(rule).arg(RuleColor(rule).name()).arg(solid).arg(shot)));
    }
    // Black text is black, not some colour the page forgot to reset.
    QVERIFY(SolidPixels(image, Qt::black) >= 50);
}

QTEST_GUILESS_MAIN(TstBrowserPage)
#include "tst_browser_page.moc"
