// Files of awkward sizes opened in the real editing area, as File > Open
// fills it (RichTextBox::LoadFile, then the window shown and painted): 5 M
// empty lines, a listing of 10 M lines, one line of 16 MiB with word wrap on
// and off.  Each opens in a child process of its own, which reports its own
// peak (VmHWM): the ru_maxrss that wait4 gives a child started by
// posix_spawn begins at the parent's peak (the child starts in the parent's
// memory), so it would add the files' making.
//
//   QT_QPA_PLATFORM=offscreen build/bin/bench_sizes [DIR]   files kept in DIR
//   build/bin/bench_sizes --listing LINES FILE              writes a listing
//   QT_QPA_PLATFORM=offscreen build/bin/bench_sizes --phases FILE   where opening it goes
#include "bench/bench_support.h"
#include "bench/highlight/listing.h"
#include "document/document_io.h"
#include "rich_text/rich_text_box.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QWindow>
#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

extern char **environ;

using namespace lumora;

namespace {

double Ms(const QElapsedTimer &t) { return double(t.nsecsElapsed()) / 1e6; }

// A listing written a million lines at a time, so that 10 M lines never
// sit in this process as one string.
bool WriteListing(const QString &path, int lines)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    for (int done = 0, seed = 1; done < lines; ++seed) {
        const int n = std::min(1000000, lines - done);
        const QByteArray bytes = GenerateListing(n, unsigned(seed)).toLatin1();
        done += n;
        if (f.write(bytes) != bytes.size() || (done < lines && f.write("\r\n") != 2))
            return false;
    }
    return true;
}

bool WriteBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// One line of 16 Mi characters, some of them Chinese, as UTF-8 with a BOM.
QByteArray LongLine()
{
    constexpr int kChars = 16 * 1024 * 1024;
    QString text;
    text.reserve(kChars);
    const QString word = QStringLiteral("mov eax, [ebx+4] ; 取值 ");
    while (text.size() + word.size() + 9 <= kChars)
        text += QStringLiteral("%1 ").arg(text.size(), 8, 10, QChar(u'0')) + word;
    text += QString(kChars - text.size(), u'x');
    return "\xEF\xBB\xBF" + text.toUtf8();
}

// The child: opens the file in a shown editing area, paints it, then types
// 20 letters in the middle of the document, each painted.  Prints the
// milliseconds until shown, the mean and the worst keystroke.
int Open(const QString &path, bool wrap)
{
    RichTextBox box;
    box.resize(900, 700);
    box.SetWordWrap(wrap);
    box.show();
    while (!(box.windowHandle() && box.windowHandle()->isExposed()))
        QApplication::processEvents();
    QApplication::processEvents();
    QElapsedTimer t;
    t.start();
    QString error;
    if (!box.LoadFile(path, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    box.viewport()->repaint();
    const double shown = Ms(t);
    box.SetSelStart(box.TextLength() / 2);
    box.EnsureCaretVisible();
    box.viewport()->repaint();
    double sum = 0, worst = 0;
    for (int i = 0; i < 20; ++i) {
        t.restart();
        QKeyEvent key(QEvent::KeyPress, Qt::Key_K, Qt::NoModifier, QStringLiteral("k"));
        QApplication::sendEvent(&box, &key);
        box.viewport()->repaint();
        QApplication::processEvents();
        sum += Ms(t);
        worst = std::max(worst, Ms(t));
    }
    std::printf("%f %f %f %f\n", shown, sum / 20, worst, PeakRssMb());
    return 0;
}

// Where opening a file goes: reading and decoding it into a document, the
// document into the editing area, the first paint.  Best of five.
int Phases(const QString &path)
{
    RichTextBox box;
    box.resize(900, 700);
    box.show();
    while (!(box.windowHandle() && box.windowHandle()->isExposed()))
        QApplication::processEvents();
    double read = 1e9, fill = 1e9, paint = 1e9;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer t;
        t.start();
        Document doc;
        QString error;
        if (!ReadDocumentFile(path, &doc, &error))
            return 1;
        read = std::min(read, Ms(t));
        t.restart();
        box.SetDocument(std::move(doc));
        fill = std::min(fill, Ms(t));
        t.restart();
        box.viewport()->repaint();
        paint = std::min(paint, Ms(t));
    }
    std::printf("read and decode %.1f ms, into the editing area %.1f ms, first paint %.1f ms\n", read, fill, paint);
    return 0;
}

struct Child
{
    double shownMs = -1, keyMs = -1, keyWorstMs = -1, peakMb = -1;
};

// This program again as the child for one file; its output goes through a
// file.
Child RunChild(const QString &file, bool wrap, const QString &dir)
{
    const QByteArray self = QFile::encodeName(QCoreApplication::applicationFilePath());
    const QByteArray name = QFile::encodeName(file);
    const QByteArray out = QFile::encodeName(dir + QStringLiteral("/child.out"));
    char open[] = "--open", how[8];
    std::snprintf(how, sizeof how, "%s", wrap ? "wrap" : "nowrap");
    char *argv[] = {const_cast<char *>(self.data()), open, const_cast<char *>(name.data()), how, nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    Child c;
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv, environ) == 0) {
        int status = 0;
        if (waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0) {
            QFile f(QString::fromLocal8Bit(out));
            const QList<QByteArray> v = f.open(QIODevice::ReadOnly) ? f.readAll().trimmed().split(' ') : QList<QByteArray>();
            if (v.size() == 4)
                c = {v[0].toDouble(), v[1].toDouble(), v[2].toDouble(), v[3].toDouble()};
        }
    }
    posix_spawn_file_actions_destroy(&actions);
    return c;
}

void Report(const char *what, const QString &file, bool wrap, const QString &dir, const char *aim)
{
    const Child c = RunChild(file, wrap, dir);
    const double mb = QFileInfo(file).size() / 1048576.0;
    if (c.peakMb < 0) {
        std::printf("  %-34s failed to open\n", what);
        return;
    }
    std::printf("  %-34s %8.1f MB  shown %8.0f ms  keystroke %6.2f ms (worst %6.2f)  peak %6.0f MB (%.2f x file)"
                "   aim %s\n",
                what, mb, c.shownMs, c.keyMs, c.keyWorstMs, c.peakMb, c.peakMb / mb, aim);
    std::fflush(stdout);
}

int Parent(const QString &keep)
{
    QTemporaryDir temp;
    const QString dir = keep.isEmpty() ? temp.path() : keep;
    const QString empty = dir + QStringLiteral("/empty-5m.txt"), listing = dir + QStringLiteral("/listing-10m.txt"),
                  line = dir + QStringLiteral("/line-16mib.txt");
    if ((!QFileInfo::exists(empty) && !WriteBytes(empty, QByteArray(5000000 * 2, '\n').replace("\n\n", "\r\n")))
        || (!QFileInfo::exists(line) && !WriteBytes(line, LongLine()))
        || (!QFileInfo::exists(listing) && !WriteListing(listing, 10000000))) {
        std::printf("cannot write the files in %s\n", qPrintable(dir));
        return 1;
    }
    std::printf("Opened in RichTextBox (900x700), painted; a keystroke is a key event in the middle of the "
                "document, painted (mean of 20)\n");
    Report("5,000,000 empty lines", empty, true, dir, "peak <= 300 MB");
    Report("one line of 16 MiB, wrap on", line, true, dir, "shown <= 1 s, keystroke <= 50 ms");
    Report("one line of 16 MiB, wrap off", line, false, dir, "shown <= 1 s, keystroke <= 50 ms");
    Report("10,000,000-line listing", listing, true, dir, "opens, peak <= 2.5 x its size");
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    // Writing a listing needs no display.
    if (argc == 4 && QByteArray(argv[1]) == "--listing")
        return WriteListing(QString::fromLocal8Bit(argv[3]), atoi(argv[2])) ? 0 : 1;
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() == 2 && args[0] == QLatin1String("--phases"))
        return Phases(args[1]);
    if (args.size() == 3 && args[0] == QLatin1String("--open"))
        return Open(args[1], args[2] == QLatin1String("wrap"));
    return Parent(args.value(0));
}
