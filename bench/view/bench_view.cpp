// The editing area's display on big documents: opening into the buffer until
// the first paint, a line of 16 MiB (wrap on and off) and a keystroke in it,
// scrolling through a million lines page by page, and peak memory.
//
//   QT_QPA_PLATFORM=offscreen build/bin/bench_view [lines]
//   build/bin/bench_view --show FILE.png [lines]   (under X: screenshots)
//   build/bin/bench_view --show-long FILE.png
//
// Each case runs in a child process of its own, so that each peak memory
// is its own.
#include "bench/bench_support.h"
#include "bench/highlight/listing.h"
#include "rich_text/text_view.h"
#include "rich_text/view_layout.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QScreen>
#include <QScrollBar>
#include <QWindow>
#include <cstdio>

using namespace lumora;

namespace {

double Ms(const QElapsedTimer &t) { return double(t.nsecsElapsed()) / 1e6; }

QString Listing(int lines)
{
    QString text = GenerateListing(lines);
    if (!text.contains(u'\r'))
        text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return text;
}

// Paints the viewport now, as a shown window would.
void PaintNow(TextView &view)
{
    view.viewport()->repaint();
}

void ShowExposed(TextView &view)
{
    view.show();
    QElapsedTimer t;
    t.start();
    while (!(view.windowHandle() && view.windowHandle()->isExposed()) && t.elapsed() < 3000)
        QApplication::processEvents();
    QApplication::processEvents();
}

void OpenListing(int lines)
{
    const QString text = Listing(lines);
    TextView view;
    view.resize(900, 700);
    ShowExposed(view);
    QElapsedTimer t;
    t.start();
    view.Buffer().SetDocument(Document::FromText(text));
    const double open = Ms(t);
    PaintNow(view);
    const double painted = Ms(t);
    // A keystroke and a line break at the end, each shown.
    view.Buffer().SetSelection(view.Buffer().Length(), view.Buffer().Length());
    view.EnsureCaretVisible();
    PaintNow(view);
    t.restart();
    view.Buffer().Type(QStringLiteral("k"));
    const double key = Ms(t);
    view.Buffer().InsertBreak();
    const double enter = Ms(t) - key;
    PaintNow(view);
    double shown = 0;
    for (int i = 0; i < 20; ++i) {
        t.restart();
        view.Buffer().Type(QStringLiteral("k"));
        view.EnsureCaretVisible();
        PaintNow(view);
        shown += Ms(t) / 20;
    }
    const QString pasted = Listing(100000);
    view.Buffer().SetSelection(1000, 1000);
    t.restart();
    view.Buffer().ReplaceSelection(pasted);
    view.EnsureCaretVisible();
    PaintNow(view);
    std::printf("  a paste of 100,000 lines near the top, brought into view and painted: %.0f ms\n", Ms(t));
    t.restart();
    view.resize(700, 700);
    PaintNow(view);
    const double resize = Ms(t);
    std::printf("open %d lines (%.1f MB of text): into the buffer %.0f ms, + first paint %.0f ms; "
                "keystroke %.3f ms, Enter %.3f ms (buffer and display, without painting), "
                "keystroke + repaint %.2f ms; a new width (all estimates anew) + paint %.0f ms; peak %.0f MB\n",
                lines, text.size() * 2 / 1e6, open, painted, key, enter, shown, resize, PeakRssMb());
    EditBuffer alone;
    t.restart();
    alone.SetDocument(Document::FromText(text));
    std::printf("  the buffer alone, without a display: %.0f ms\n", Ms(t));
}

void ScrollListing(int lines)
{
    TextView view;
    view.resize(900, 700);
    ShowExposed(view);
    view.Buffer().SetDocument(Document::FromText(Listing(lines)));
    PaintNow(view);
    QScrollBar *bar = view.verticalScrollBar();
    QElapsedTimer t;
    t.start();
    int pages = 0;
    double worst = 0;
    while (bar->value() < bar->maximum()) {
        QElapsedTimer one;
        one.start();
        bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
        PaintNow(view);
        worst = std::max(worst, Ms(one));
        ++pages;
    }
    std::printf("scroll through %d lines: %d pages in %.2f s (%.3f ms a page, worst %.2f ms); peak %.0f MB\n",
                lines, pages, Ms(t) / 1000, Ms(t) / pages, worst, PeakRssMb());
}

constexpr int kLongChars = 16 * 1024 * 1024;

QString LongText()
{
    QString text;
    text.reserve(kLongChars);
    const QString word = QStringLiteral("mov eax, [ebx+4] ; 取值 ");
    while (text.size() + word.size() <= kLongChars)
        text += QStringLiteral("%1 ").arg(text.size(), 8, 10, QChar(u'0')) + word;
    text += QString(kLongChars - text.size(), u'x');
    return text;
}

void LongLine(bool wrap)
{
    constexpr int kChars = kLongChars;
    const QString text = LongText();
    TextView view;
    view.resize(900, 700);
    view.SetWordWrap(wrap);
    ShowExposed(view);
    QElapsedTimer t;
    t.start();
    view.Buffer().SetDocument(Document::FromText(text));
    PaintNow(view);
    const double open = Ms(t);
    // Keystrokes in the middle of the line, each shown.
    view.Buffer().SetSelection(kChars / 2, kChars / 2);
    view.EnsureCaretVisible();
    PaintNow(view);
    double worst = 0, sum = 0;
    for (int i = 0; i < 20; ++i) {
        QElapsedTimer k;
        k.start();
        view.Buffer().Type(QStringLiteral("k"));
        view.EnsureCaretVisible();
        PaintNow(view);
        worst = std::max(worst, Ms(k));
        sum += Ms(k);
    }
    std::printf("one line of 16 MiB, wrap %s: open + first paint %.0f ms; keystroke + repaint %.2f ms (worst %.2f); "
                "peak %.0f MB\n",
                wrap ? "on" : "off", open, sum / 20, worst, PeakRssMb());
}

int Show(const QString &png, int lines)
{
    TextView view;
    view.resize(900, 600);
    QString text = Listing(lines);
    text.insert(0, QStringLiteral("居中的标题 — a picture follows:\r\n\uFFFC\r\n"));
    Document d = Document::FromText(text);
    Picture p;
    p.image = QImage(320, 900, QImage::Format_RGB32);
    for (int y = 0; y < 900; ++y) {
        for (int x = 0; x < 320; ++x)
            p.image.setPixel(x, y, qRgb(y * 255 / 900, 120, x * 255 / 320));
    }
    p.width = 320;
    p.height = 900;
    d.pictures.append(p);
    CharFormat f;
    f.picture = 0;
    d.runs.Replace(int(text.indexOf(QChar(0xFFFC))), 1, RunList(1, d.formats.Id(f)));
    d.aligns.append({0, Align::Center});
    view.Buffer().SetDocument(std::move(d));
    view.Buffer().SetSelection(10, 60);
    view.show();
    view.activateWindow();
    view.setFocus();
    // The top, then the picture's foot and the text after it.
    for (const qint64 y : {qint64(0), qint64(600)}) {
        view.SetScrollY(y);
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 800)
            QApplication::processEvents();
        const QString name = y == 0 ? png : QString(png).replace(".png", "-2.png");
        view.grab().save(name);
        std::printf("saved %s\n", qPrintable(name));
    }
    return 0;
}

// The middle of the 16 MiB line, wrap off then on, with the caret there.
int ShowLong(const QString &png)
{
    TextView view;
    view.resize(900, 300);
    view.Buffer().SetDocument(Document::FromText(LongText()));
    view.Buffer().SetSelection(kLongChars / 2, kLongChars / 2 + 30);
    view.show();
    view.activateWindow();
    view.setFocus();
    for (const bool wrap : {false, true}) {
        view.SetWordWrap(wrap);
        view.EnsureCaretVisible();
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 800)
            QApplication::processEvents();
        const QString name = QString(png).replace(".png", wrap ? "-on.png" : "-off.png");
        view.grab().save(name);
        std::printf("saved %s\n", qPrintable(name));
    }
    return 0;
}

int RunChild(const QStringList &args)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(QCoreApplication::applicationFilePath(), args);
    child.waitForFinished(-1);
    return child.exitCode();
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const int lines = args.size() > 0 ? args.last().toInt() : 0;
    const int n = lines > 0 ? lines : 1000000;
    if (args.value(0) == "--open")
        OpenListing(n);
    else if (args.value(0) == "--scroll")
        ScrollListing(n);
    else if (args.value(0) == "--long")
        LongLine(args.value(1) == "on");
    else if (args.value(0) == "--show-long")
        return ShowLong(args.value(1));
    else if (args.value(0) == "--show")
        return Show(args.value(1), n > 1000000 ? 2000 : n);
    else {
        RunChild({"--open", QString::number(n)});
        RunChild({"--long", "on"});
        RunChild({"--long", "off"});
        RunChild({"--scroll", QString::number(n)});
    }
    return 0;
}
