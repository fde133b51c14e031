// lumora-batch [--highlight [--lists DIR]] INPUT OUTPUT: converts one
// document exactly as the editor loads and saves it, or into an HTML page or
// forum code, without a display; with --highlight the "OD语法高亮" pass runs
// in between.
#include "app/batch_convert.h"
#include "app/system_names.h"

#include <QCoreApplication>
#include <QCommandLineParser>
#include <QFile>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kUsageError = 2;

void Print(std::FILE *to, const QString &text)
{
    std::fputs(text.toUtf8().constData(), to);
}

int UsageError(const QString &message)
{
    Print(stderr, QStringLiteral("lumora-batch: %1\nTry 'lumora-batch --help' for more information.\n").arg(message));
    return kUsageError;
}

void DescribeOptions(QCommandLineParser &parser)
{
    parser.setApplicationDescription(QStringLiteral(
        "Converts one document exactly as the editor's File > Open and Save / Save As do, without a display.\n"
        "INPUT is read as RTF or as text (UTF-8 or UTF-16 where the whole file is, else GBK);\n"
        "OUTPUT is written as RTF when its name ends in \"rtf\" (any case),\n"
        "as one self-contained UTF-8 HTML page when it ends in \".html\" or \".htm\", as UTF-8 forum code\n"
        "([color=#RRGGBB], [b], [i], [u], [s]) when it ends in \".bbcode\" (any case), else as a GBK text file.\n"
        "Exit status: 0 written, 1 not converted (the reason on stderr), 2 usage."));
    // Not addHelpOption(): its --help-all offers Qt's options, which this
    // program does not take.
    parser.addOption({{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Displays this help.")});
    parser.addVersionOption();
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
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << lumora::DecodeArgument(QByteArray(argv[i]));
    int qtArgc = 1;
    char name[] = "lumora-batch";
    char *qtArgv[] = {name, nullptr};
    QCoreApplication app(qtArgc, qtArgv);
    QCoreApplication::setApplicationVersion(QStringLiteral(LUMORA_VERSION));

    QCommandLineParser parser;
    DescribeOptions(parser);
    if (!parser.parse(args))
        return UsageError(parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) {
        Print(stdout, parser.helpText());
        return 0;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        Print(stdout, QStringLiteral("lumora-batch %1\n").arg(QCoreApplication::applicationVersion()));
        return 0;
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() != 2)
        return UsageError(QStringLiteral("expected the two file names INPUT and OUTPUT, got %1").arg(files.size()));
    if (parser.isSet(QStringLiteral("lists")) && !parser.isSet(QStringLiteral("highlight")))
        return UsageError(QStringLiteral("--lists goes with --highlight"));

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
        Print(stderr, QStringLiteral("lumora-batch: %1\n").arg(notice));
    if (!converted) {
        Print(stderr, QStringLiteral("lumora-batch: %1\n").arg(names.Readable(error)));
        return 1;
    }
    return 0;
}
