// lumora-batch INPUT OUTPUT: converts one document exactly as the editor
// loads and saves it, without a display.
#include "document_files.h"
#include "rich_text_box.h"

#include <QApplication>
#include <QStringList>
#include <cstdio>

namespace {

void PrintError(const QString &message)
{
    std::fprintf(stderr, "lumora-batch: %s\n", message.toUtf8().constData());
}

int Usage()
{
    std::fprintf(stderr,
                 "usage: lumora-batch INPUT OUTPUT\n"
                 "  Loads INPUT as the editor's File > Open does (RTF or GBK text) and writes OUTPUT:\n"
                 "  as RTF when its name ends in \"rtf\" (any case), else as a GBK text file.\n");
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() != 2 || args[0].startsWith(QLatin1Char('-')))
        return Usage();
    const QString input = args[0];
    const QString output = args[1];

    lumora::RichTextBox editor;
    QString error;
    if (!editor.LoadFile(input, &error)) {
        PrintError(error);
        return 1;
    }
    const bool rtf = output.right(3).compare(QLatin1String("rtf"), Qt::CaseInsensitive) == 0;
    const bool saved = rtf ? editor.SaveFile(output, &error) : lumora::WriteTextFile(output, editor.Text(), &error);
    if (!saved) {
        PrintError(error);
        return 1;
    }
    return 0;
}
