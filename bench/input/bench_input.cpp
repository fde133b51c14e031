// Keys in the editor's editing area on a big listing coloured by
// "OD语法高亮", each handled and painted as in a shown window: typing,
// moving, and selection changes of any size (under X11 each is offered as
// the primary selection), and copying the whole (its text and HTML).
//
//   DISPLAY=... build/bin/bench_input [lines]      (X11: with the primary selection)
//   QT_QPA_PLATFORM=offscreen build/bin/bench_input [lines]
//
// Under X11 a program that reads every primary selection (an input method's
// clipboard history, say) makes each offer of a huge selection be built and
// sent; the figures then include that.
#include "bench/highlight/listing.h"
#include "highlight/highlight.h"
#include "rich_text/rich_text_box.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QWindow>
#include <algorithm>
#include <cstdio>

using namespace lumora;

namespace {

// The worst of three presses of a key, in milliseconds, each until handled
// and painted.
double Key(TextView &view, int key, Qt::KeyboardModifiers mods, const QString &text = {}, int times = 3)
{
    double worst = 0;
    for (int i = 0; i < times; ++i) {
        QElapsedTimer t;
        t.start();
        QKeyEvent press(QEvent::KeyPress, key, mods, text);
        QApplication::sendEvent(&view, &press);
        view.viewport()->repaint();
        QApplication::processEvents();
        worst = std::max(worst, double(t.nsecsElapsed()) / 1e6);
    }
    return worst;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int lines = argc > 1 ? std::max(1, atoi(argv[1])) : 1000000;
    QString text = GenerateListing(lines);
    if (!text.contains(u'\r'))
        text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    RichTextBox view;
    view.resize(900, 700);
    view.show();
    while (!(view.windowHandle() && view.windowHandle()->isExposed()))
        QApplication::processEvents();
    view.SetDocument(Document::FromText(text));
    text.clear();
    if (!HighlightEditorText(view, QCoreApplication::applicationDirPath()))
        std::printf("the keyword lists are missing: the listing stays uncoloured\n");
    view.Buffer().SetSelection(view.Buffer().Length() / 2, view.Buffer().Length() / 2);
    view.EnsureCaretVisible();
    QApplication::processEvents();
    const Qt::KeyboardModifiers none = Qt::NoModifier, shift = Qt::ShiftModifier, ctrl = Qt::ControlModifier;
    std::printf("%d lines, primary selection %s; worst of 3, ms:\n", lines,
                QGuiApplication::clipboard()->supportsSelection() ? "offered" : "absent");
    std::printf("  typing a letter      %8.2f\n", Key(view, Qt::Key_X, none, QStringLiteral("x")));
    std::printf("  Backspace            %8.2f\n", Key(view, Qt::Key_Backspace, none));
    std::printf("  Ctrl+Left            %8.2f\n", Key(view, Qt::Key_Left, ctrl));
    std::printf("  Down                 %8.2f\n", Key(view, Qt::Key_Down, none));
    std::printf("  Page Down            %8.2f\n", Key(view, Qt::Key_PageDown, none));
    std::printf("  Shift+Down           %8.2f\n", Key(view, Qt::Key_Down, shift));
    std::printf("  Ctrl+A               %8.2f\n", Key(view, Qt::Key_A, ctrl, {}, 1));
    std::printf("  Shift+Up, all chosen %8.2f\n", Key(view, Qt::Key_Up, shift));
    std::printf("  Ctrl+Shift+End       %8.2f\n", Key(view, Qt::Key_End, ctrl | shift, {}, 1));
    std::printf("  Ctrl+Home            %8.2f\n", Key(view, Qt::Key_Home, ctrl, {}, 1));
    Key(view, Qt::Key_A, ctrl, {}, 1);
    std::printf("  Ctrl+C, all chosen   %8.2f\n", Key(view, Qt::Key_C, ctrl, {}, 1));
    return 0;
}
