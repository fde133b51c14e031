// lumora-batch [--highlight [--lists DIR]] INPUT OUTPUT: converts one
// document exactly as the editor loads and saves it, without a display;
// with --highlight the "OD语法高亮" pass runs in between.
#include "document_files.h"
#include "highlight.h"
#include "rich_text_box.h"

#include <QApplication>
#include <QStringList>
#include <cstdio>
#include <cstdlib>

namespace {

void PrintError(const QString &message)
{
    std::fprintf(stderr, "lumora-batch: %s\n", message.toUtf8().constData());
}

int Usage()
{
    std::fprintf(stderr,
                 "usage: lumora-batch [--highlight [--lists DIR]] INPUT OUTPUT\n"
                 "  Loads INPUT as the editor's File > Open does (RTF or GBK text) and writes OUTPUT:\n"
                 "  as RTF when its name ends in \"rtf\" (any case), else as a GBK text file.\n"
                 "  --highlight  colours it as OD syntax highlighting does, with the keyword lists\n"
                 "               from DIR (default: the program's folder; missing lists are created).\n");
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const bool highlight = args.removeAll(QStringLiteral("--highlight")) > 0;
    QString lists = QCoreApplication::applicationDirPath();
    const qsizetype listsAt = args.indexOf(QStringLiteral("--lists"));
    if (listsAt >= 0) {
        if (!highlight || listsAt + 1 >= args.size())
            return Usage();
        lists = args[listsAt + 1];
        args.remove(listsAt, 2);
    }
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
    if (highlight && !lumora::HighlightEditorText(editor, lists)) {
        PrintError(lumora::EmptyTextNotice());
        return 1;
    }
    const bool rtf = output.right(3).compare(QLatin1String("rtf"), Qt::CaseInsensitive) == 0;
    const bool saved = rtf ? editor.SaveFile(output, &error) : lumora::WriteTextFile(output, editor.RawText(), &error);
    if (!saved) {
        PrintError(error);
        return 1;
    }
    // Everything is written and closed.  Tearing down a document of a
    // million coloured fragments one by one would take longer than the
    // conversion's last step; the process exit frees it at once.
    std::fflush(nullptr);
    std::_Exit(0);
}
