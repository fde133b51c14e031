// lumora-batch [--highlight [--lists DIR]] INPUT OUTPUT: converts one
// document exactly as the editor loads and saves it, or into an HTML page or
// forum code, without a display; with --highlight the "OD语法高亮" pass runs
// in between.
#include "app/batch_convert.h"
#include "app/command_line.h"
#include "app/system_names.h"

#include <QCoreApplication>
#include <QCommandLineParser>
#include <QFile>

namespace {

const QString kProgram = QStringLiteral("lumora-batch");

void DescribeOptions(QCommandLineParser &parser)
{
    parser.setApplicationDescription(QStringLiteral(
        "Converts one document exactly as the editor's File > Open and Save / Save As do, without a display.\n"
        "INPUT is read as RTF or as text (UTF-8 or UTF-16 where the whole file is, else GBK);\n"
        "OUTPUT is written as RTF when its name ends in \"rtf\" (any case),\n"
        "as one self-contained UTF-8 HTML page when it ends in \".html\" or \".htm\", as UTF-8 forum code\n"
        "([color=#RRGGBB], [b], [i], [u], [s]) when it ends in \".bbcode\" (any case), else as a GBK text file.\n"
        "Exit status: 0 written, 1 not converted (the reason on stderr), 2 usage."));
    lumora::AddStandardOptions(parser);
    parser.addOption({QStringLiteral("highlight"),
                      QStringLiteral("Colour the document as \"OD语法高亮\" does before writing it.")});
    parser.addOption({QStringLiteral("lists"),
                      QStringLiteral("With --highlight: read the keyword lists from the folder DIR, which must exist "
                                     "(default: the program's folder; missing lists are created there)."),
                      QStringLiteral("DIR")});
    parser.addPositionalArgument(QStringLiteral("INPUT"), QStringLiteral("The document to read."));
    parser.addPositionalArgument(QStringLiteral("OUTPUT"), QStringLiteral("The document to write."));
}

} // namespace

int main(int argc, char *argv[])
{
    // The arguments are ours alone: Qt sees none of them (it would take
    // -platform or -style for itself), and names keep their exact bytes.
    const QStringList args = lumora::DecodedArguments(argc, argv);
    int qtArgc = 1;
    char name[] = "lumora-batch";
    char *qtArgv[] = {name, nullptr};
    QCoreApplication app(qtArgc, qtArgv);

    QCommandLineParser parser;
    DescribeOptions(parser);
    if (const std::optional<int> status = lumora::HandleStandardOptions(parser, args, kProgram))
        return *status;
    const QStringList files = parser.positionalArguments();
    if (files.size() != 2)
        return lumora::UsageError(kProgram, QStringLiteral("expected the two file names INPUT and OUTPUT, got %1").arg(files.size()));
    if (parser.isSet(QStringLiteral("lists")) && !parser.isSet(QStringLiteral("highlight")))
        return lumora::UsageError(kProgram, QStringLiteral("--lists goes with --highlight"));

    lumora::SystemNames names;
    lumora::BatchJob job;
    job.input = names.Existing(lumora::EncodeArgument(files[0]));
    job.output = names.Output(lumora::EncodeArgument(files[1]));
    // The format goes by the name given: the path written to may be a
    // stand-in that keeps only the name's last characters.
    job.format = lumora::OutputFormatFor(files[1]);
    const QString shownInput = QFile::decodeName(lumora::EncodeArgument(files[0]));
    job.title = shownInput.mid(shownInput.lastIndexOf(QLatin1Char('/')) + 1);
    job.highlight = parser.isSet(QStringLiteral("highlight"));
    job.lists = parser.isSet(QStringLiteral("lists"))
                    ? names.Existing(lumora::EncodeArgument(parser.value(QStringLiteral("lists"))))
                    : QCoreApplication::applicationDirPath();
    QString error, notice;
    const bool converted = lumora::ConvertDocument(job, &error, &notice) && names.Commit(&error);
    if (!notice.isEmpty())
        lumora::Print(stderr, QStringLiteral("lumora-batch: %1\n").arg(notice));
    if (!converted) {
        lumora::Print(stderr, QStringLiteral("lumora-batch: %1\n").arg(names.Readable(error)));
        return 1;
    }
    return 0;
}
