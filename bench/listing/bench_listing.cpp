// The editor and the batch converter on debugger listings of 100,000 and
// 1,000,000 lines, against highlight -S asm -O rtf and unrtf --text measured
// in the same run.  Prints each figure beside its aim.
//
//   bench_listing [--quick] [--large]
//     --quick leaves out the 1,000,000-line runs; --large adds 5,000,000
//     empty lines and a 10,000,000-line listing (620 MB), opened each in a
//     process of its own for its peak memory.
//
// The 1,000,000-line editor run happens in a child process of its own
// (bench_listing --editor FILE), so that its peak memory is its own.
#include "bench/bench_support.h"
#include "document/document.h"
#include "highlight/highlight.h"
#include "bench/highlight/listing.h"
#include "rich_text/rich_text_box.h"
#include "document/rtf_reader.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char **environ;

using namespace lumora;

namespace {

struct Run
{
    double seconds = -1;
    double peakMb = -1;
};

// A program run to its end: wall time and the child's peak memory.
Run RunProgram(const QString &program, const QStringList &args)
{
    QList<QByteArray> storage{QFile::encodeName(program)};
    for (const QString &a : args)
        storage << QFile::encodeName(a);
    std::vector<char *> argv;
    for (QByteArray &b : storage)
        argv.push_back(b.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    QElapsedTimer t;
    t.start();
    pid_t pid = 0;
    Run run;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        rusage usage{};
        if (wait4(pid, &status, 0, &usage) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0) {
            run.seconds = t.nsecsElapsed() / 1e9;
            run.peakMb = usage.ru_maxrss / 1024.0;
        }
    }
    posix_spawn_file_actions_destroy(&actions);
    return run;
}

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// The editor as the menu drives it: a shown editing area, progress that
// lets the window repaint, input held back until each command returns.
// A command is timed until it returns and the window has repainted: that is
// when the editor answers a key again.
class Session
{
public:
    Session()
    {
        m_box.resize(825, 553);
        m_box.show();
        m_box.viewport()->installEventFilter(&m_paints);
        QCoreApplication::processEvents();
    }

    Progress Reporter()
    {
        return [this](qint64, qint64) {
            const qint64 now = m_clock.elapsed();
            m_longestGap = std::max(m_longestGap, now - m_lastYield);
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            m_lastYield = m_clock.elapsed();
            return true;
        };
    }

    template <class F> double Timed(F command)
    {
        m_clock.start();
        m_lastYield = 0;
        m_longestGap = 0;
        m_paints.first = -1;
        m_paints.clock = &m_clock;
        command();
        QCoreApplication::processEvents();
        m_longestGap = std::max(m_longestGap, m_clock.elapsed() - m_lastYield);
        return m_clock.nsecsElapsed() / 1e9;
    }

    RichTextBox &Box() { return m_box; }
    double FirstPaint() const { return m_paints.first / 1000.0; }
    double LongestStall() const { return m_longestGap / 1000.0; }

private:
    struct PaintWatch : QObject
    {
        QElapsedTimer *clock = nullptr;
        qint64 first = -1;
        bool eventFilter(QObject *, QEvent *e) override
        {
            if (e->type() == QEvent::Paint && first < 0 && clock && clock->isValid())
                first = clock->elapsed();
            return false;
        }
    };

    RichTextBox m_box;
    PaintWatch m_paints;
    QElapsedTimer m_clock;
    qint64 m_lastYield = 0;
    qint64 m_longestGap = 0;
};

struct EditorFigures
{
    double open = 0, firstPaint = 0, openStall = 0, pass = 0, undo = 0, save = 0, peakMb = 0;
};

EditorFigures EditorRun(const QString &file, const QString &lists, const QString &rtfOut)
{
    Session s;
    EditorFigures f;
    QString error;
    f.open = s.Timed([&] { s.Box().LoadFile(file, &error, s.Reporter()); });
    f.firstPaint = s.FirstPaint();
    f.openStall = s.LongestStall();
    if (qEnvironmentVariableIsSet("BENCH_PEAKS"))
        std::fprintf(stderr, "after open %.0f MB\n", PeakRssMb());
    f.pass = s.Timed([&] { HighlightEditorText(s.Box(), lists, s.Reporter()); });
    if (qEnvironmentVariableIsSet("BENCH_PEAKS"))
        std::fprintf(stderr, "after pass %.0f MB\n", PeakRssMb());
    f.undo = s.Timed([&] { s.Box().Undo(); });
    s.Box().Redo();
    f.save = s.Timed([&] { s.Box().SaveFile(rtfOut, &error); });
    f.peakMb = PeakRssMb();
    return f;
}

void Row(const char *what, double ours, const char *unit, double peer, const QString &aim)
{
    if (peer > 0)
        std::printf("  %-46s %9.3f %-2s  %6.3f x peer   aim %s\n", what, ours, unit, ours / peer, qPrintable(aim));
    else
        std::printf("  %-46s %9.3f %-2s                  aim %s\n", what, ours, unit, qPrintable(aim));
    std::fflush(stdout);
}

int ChildEditor(const QString &file, const QString &lists)
{
    const EditorFigures f = EditorRun(file, lists, file + QStringLiteral(".rtf"));
    std::printf("%f %f %f %f %f %f %f\n", f.open, f.firstPaint, f.openStall, f.pass, f.undo, f.save, f.peakMb);
    return 0;
}

struct Peers
{
    QString highlight = QStandardPaths::findExecutable(QStringLiteral("highlight"));
    QString unrtf = QStandardPaths::findExecutable(QStringLiteral("unrtf"));
    QString batch = QCoreApplication::applicationDirPath() + QStringLiteral("/lumora-batch");
};

Run Highlight(const Peers &p, const QString &in, const QString &out)
{
    if (p.highlight.isEmpty())
        return {};
    return RunProgram(p.highlight, {QStringLiteral("-S"), QStringLiteral("asm"), QStringLiteral("-O"),
                                    QStringLiteral("rtf"), QStringLiteral("-i"), in, QStringLiteral("-o"), out});
}

void HundredThousand(const Peers &p, const QString &dir, const QString &lists)
{
    const QString txt = dir + QStringLiteral("/100k.txt");
    WriteFile(txt, GenerateListing(100000).toLatin1());
    const Run peer = Highlight(p, txt, dir + QStringLiteral("/100k-highlight.rtf"));
    std::printf("100,000 lines (%.1f MB); highlight -S asm -O rtf: %.3f s\n",
                QFileInfo(txt).size() / 1e6, peer.seconds);
    const EditorFigures f = EditorRun(txt, lists, dir + QStringLiteral("/100k-editor.rtf"));
    // While a file goes in, the window answers between slices (the editing
    // area is read-only): the longest stretch without an answer is how long
    // a key can wait.
    Row("open in the editor, until it answers a key", f.openStall, "s", peer.seconds, "<= 0.2 x highlight");
    Row("open in the editor, until the whole text is in", f.open, "s", peer.seconds, "-");
    Row("\"OD语法高亮\", until it answers a key", f.pass, "s", peer.seconds, "<= 0.15 x highlight");
    Row("undo of the pass", f.undo, "s", peer.seconds, "<= 0.05 x highlight");
    const Run batch = RunProgram(p.batch, {QStringLiteral("--highlight"), QStringLiteral("--lists"), lists, txt,
                                           dir + QStringLiteral("/100k-batch.rtf")});
    Row("lumora-batch --highlight", batch.seconds, "s", peer.seconds, "<= 0.4 x highlight");

    // Reading highlight's own RTF, against unrtf reading it as text.
    QFile rtf(dir + QStringLiteral("/100k-highlight.rtf"));
    if (!rtf.open(QIODevice::ReadOnly))
        return;
    const QByteArray bytes = rtf.readAll();
    QElapsedTimer t;
    t.start();
    Document doc;
    ReadRtf(bytes, &doc, nullptr);
    const double ours = t.nsecsElapsed() / 1e9;
    const Run unrtf = p.unrtf.isEmpty() ? Run{} : RunProgram(p.unrtf, {QStringLiteral("--text"), rtf.fileName()});
    std::printf("highlight's RTF of it, %.1f MB; unrtf --text: %.3f s\n", bytes.size() / 1e6, unrtf.seconds);
    Row("reading it into a document", ours, "s", unrtf.seconds, "<= 0.1 x unrtf");
}

void Million(const Peers &p, const QString &dir, const QString &lists)
{
    const QString txt = dir + QStringLiteral("/1m.txt");
    WriteFile(txt, GenerateListing(1000000).toLatin1());
    const Run peer = Highlight(p, txt, dir + QStringLiteral("/1m-highlight.rtf"));
    std::printf("\n1,000,000 lines (%.1f MB); highlight -S asm -O rtf: %.3f s\n",
                QFileInfo(txt).size() / 1e6, peer.seconds);
    const Run batch = RunProgram(p.batch, {QStringLiteral("--highlight"), QStringLiteral("--lists"), lists, txt,
                                           dir + QStringLiteral("/1m-batch.rtf")});
    Row("lumora-batch --highlight", batch.seconds, "s", peer.seconds, "<= 0.4 x highlight");
    Row("lumora-batch --highlight, peak memory", batch.peakMb, "MB", -1, "<= 500 MB");

    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--editor"), txt, lists});
    child.waitForFinished(-1);
    const QList<QByteArray> v = child.readAllStandardOutput().trimmed().split(' ');
    if (v.size() != 7) {
        std::printf("  editor run failed\n");
        return;
    }
    Row("editor: open, until the whole text is in", v[0].toDouble(), "s", peer.seconds, "<= 0.5 s (keys work then)");
    Row("editor: first paint after choosing the file", v[1].toDouble(), "s", -1, "<= 0.3 s");
    Row("editor: longest stretch without repainting", v[2].toDouble(), "s", -1, "about 0.2 s");
    Row("editor: \"OD语法高亮\"", v[3].toDouble(), "s", peer.seconds, "<= 0.5 s");
    Row("editor: undo of the pass", v[4].toDouble() * 1000, "ms", -1, "<= 20 ms");
    Row("editor: save as RTF", v[5].toDouble(), "s", peer.seconds, "<= 0.7 s");
    Row("editor: peak memory (opened, coloured, undone, saved)", v[6].toDouble(), "MB", -1, "<= 250 MB");
}

// A file opened in a child process of its own: the time until the text is
// in and that process's peak memory.
int ChildOpen(const QString &file)
{
    Session s;
    QString error;
    const double seconds = s.Timed([&] { s.Box().LoadFile(file, &error, s.Reporter()); });
    std::printf("%f %f %d\n", seconds, PeakRssMb(), s.Box().TextLength());
    return 0;
}

void Opened(const char *what, const QString &file, bool ratio, const QString &aim)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--open"), file});
    child.waitForFinished(-1);
    const QList<QByteArray> v = child.readAllStandardOutput().trimmed().split(' ');
    if (v.size() != 3 || v[2].toInt() == 0) {
        std::printf("  %s: open failed\n", what);
        return;
    }
    Row(qPrintable(QStringLiteral("%1: open").arg(QString::fromUtf8(what))), v[0].toDouble(), "s", -1, "-");
    Row(qPrintable(QStringLiteral("%1: peak memory").arg(QString::fromUtf8(what))), v[1].toDouble(), "MB", -1, aim);
    if (ratio)   // peak (MiB) over the file's size
        std::printf("  %-46s %9.2f x the file\n", "", v[1].toDouble() * 1024 * 1024 / QFileInfo(file).size());
}

// 5,000,000 empty lines, and a listing of 10,000,000 lines.
void Large(const QString &dir)
{
    const QString empty = dir + QStringLiteral("/5m-empty.txt");
    WriteFile(empty, QByteArray(5000000, '\n'));
    std::printf("\n5,000,000 empty lines\n");
    Opened("5,000,000 empty lines", empty, false, QStringLiteral("<= 300 MB"));
    const QString big = dir + QStringLiteral("/10m.txt");
    {
        QFile f(big);
        if (!f.open(QIODevice::WriteOnly))
            qFatal("cannot write %s", qPrintable(big));
        const QByteArray million = GenerateListing(1000000).toLatin1();
        for (int i = 0; i < 10; ++i)
            f.write(million);
    }
    std::printf("\n10,000,000 lines (%.1f MB)\n", QFileInfo(big).size() / 1e6);
    Opened("10,000,000-line listing", big, true,
           QStringLiteral("<= 2.5 x the file (%1 MB)").arg(2.5 * QFileInfo(big).size() / (1024 * 1024), 0, 'f', 0));
    QFile::remove(big);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString lists = QCoreApplication::applicationDirPath();
    if (args.size() == 4 && args[1] == QLatin1String("--editor"))
        return ChildEditor(args[2], args[3]);
    if (args.size() == 3 && args[1] == QLatin1String("--open"))
        return ChildOpen(args[2]);
    if (args.size() == 4 && args[1] == QLatin1String("--write-listing")) {
        WriteFile(args[3], GenerateListing(args[2].toInt()).toLatin1());
        return 0;
    }
    QTemporaryDir dir;
    const Peers peers;
    HundredThousand(peers, dir.path(), lists);
    if (!args.contains(QStringLiteral("--quick")))
        Million(peers, dir.path(), lists);
    if (args.contains(QStringLiteral("--large")))
        Large(dir.path());
    return 0;
}
