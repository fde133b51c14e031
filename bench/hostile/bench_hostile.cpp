// Hostile and huge inputs through the editing area, for timing under
// /usr/bin/time -v:
//
//   bench_hostile make DIR           writes the cases into DIR
//   bench_hostile open FILE          opens FILE as File > Open does (shown,
//                                    painted), then saves it as RTF and text
//   bench_hostile pass FILE LISTS    opens FILE and runs "OD语法高亮" with the
//                                    keyword lists in folder LISTS
//
// Every case is what an attacker might hand over: a line of 140 MiB, fonts
// by the thousand, a font name of a million characters, a hundred copies of
// a large picture, millions of empty lines, a keyword list built to hurt.
#include "document/document_files.h"
#include "highlight/highlight.h"
#include "rich_text/rich_text_box.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <cstdio>

using namespace lumora;

namespace {

void Write(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

QByteArray Repeated(const QByteArray &unit, qint64 bytes)
{
    QByteArray out;
    out.reserve(bytes);
    while (out.size() + unit.size() <= bytes)
        out += unit;
    out += unit.left(bytes - out.size());
    return out;
}

QByteArray ManyFonts()
{
    QByteArray rtf = "{\\rtf1\\ansi{\\fonttbl";
    for (int f = 0; f < 4096; ++f)
        rtf += "{\\f" + QByteArray::number(f) + " Face Number " + QByteArray::number(f) + ";}";
    rtf += "}";
    for (int r = 0; r < 25000; ++r)
        rtf += "\\f" + QByteArray::number(r * 7 % 4096) + "\\fs" + QByteArray::number(12 + r % 60) + " run "
               + QByteArray::number(r) + (r % 8 == 7 ? "\\par\n" : "");
    return rtf + "}";
}

QByteArray LongFontName()
{
    QByteArray rtf = "{\\rtf1{\\fonttbl{\\f0 ";
    rtf += Repeated("\\u23435?", qint64(8) * 1000000);
    return rtf + ";}}\\f0 text}";
}

QByteArray Pictures()
{
    QImage image(1400, 1400, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    for (int i = 0; i < 1400; i += 20)
        p.fillRect(i, 0, 10, 1400, QColor(i % 256, 80, 160));
    p.end();
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    const QByteArray pict = "{\\pict\\pngblip\\picw1400\\pich1400 " + png.toHex() + "}";
    QByteArray rtf = "{\\rtf1 ";
    for (int i = 0; i < 100; ++i)
        rtf += pict + "\\par\n";
    return rtf + "}";
}

int Make(const QString &dir)
{
    QDir().mkpath(dir);
    Write(dir + QStringLiteral("/line-140mib.txt"), Repeated("MOV EAX,1 ", qint64(140) << 20));
    Write(dir + QStringLiteral("/fonts-4096.rtf"), ManyFonts());
    Write(dir + QStringLiteral("/font-name-1m.rtf"), LongFontName());
    Write(dir + QStringLiteral("/pictures-100.rtf"), Pictures());
    Write(dir + QStringLiteral("/lines-5m.txt"), Repeated("\r\n", qint64(10) * 1000000));
    Write(dir + QStringLiteral("/par-25m.rtf"), "{\\rtf1 " + Repeated("\\par", qint64(100) * 1000000) + "}");
    const QByteArray prefix = Repeated("abcdefgh", 64);
    QDir().mkpath(dir + QStringLiteral("/lists"));
    QByteArray entries;
    for (int i = 0; i < 20000; ++i)
        entries += prefix + QByteArray::number(i) + "\r\n";
    Write(dir + QStringLiteral("/lists/data-finda.txt"), entries);
    for (const char *name : {"data-jmp.txt", "data-EAX.txt", "data-mov.txt"})
        QFile::copy(QCoreApplication::applicationDirPath() + QLatin1Char('/') + QLatin1String(name),
                    dir + QStringLiteral("/lists/") + QLatin1String(name));
    Write(dir + QStringLiteral("/prefix-160k.txt"), Repeated(prefix, 160000));
    return 0;
}

// File > Open as the menu does it, in a shown window, then both saves.
int Open(const QString &file, const QString &lists)
{
    RichTextBox box;
    box.resize(825, 553);
    box.show();
    QElapsedTimer t;
    t.start();
    QString error;
    const auto progress = [](qint64, qint64) {
        QCoreApplication::processEvents();
        return true;
    };
    const bool loaded = box.LoadFile(file, &error, progress);
    QCoreApplication::processEvents();
    std::printf("open: %s in %.2f s, %d characters\n", loaded ? "loaded" : qPrintable(error), t.nsecsElapsed() / 1e9,
                box.TextLength());
    if (!loaded)
        return 0;
    if (!lists.isEmpty()) {
        t.restart();
        HighlightEditorText(box, lists, progress);
        QCoreApplication::processEvents();
        std::printf("pass: %.2f s\n", t.nsecsElapsed() / 1e9);
    }
    t.restart();
    const bool rtf = box.SaveFile(file + QStringLiteral(".out.rtf"), &error);
    std::printf("save as RTF: %s in %.2f s\n", rtf ? "written" : qPrintable(error), t.nsecsElapsed() / 1e9);
    t.restart();
    const bool txt = WriteTextFile(file + QStringLiteral(".out.txt"), box.RawText(), &error);
    std::printf("save as text: %s in %.2f s\n", txt ? "written" : qPrintable(error), t.nsecsElapsed() / 1e9);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == QLatin1String("make"))
        return Make(args[2]);
    if (args.size() == 3 && args[1] == QLatin1String("open"))
        return Open(args[2], QString());
    if (args.size() == 4 && args[1] == QLatin1String("pass"))
        return Open(args[2], args[3]);
    std::fprintf(stderr, "usage: bench_hostile make DIR | open FILE | pass FILE LISTS\n");
    return 2;
}
