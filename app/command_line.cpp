#include "app/command_line.h"

#include "document/file_paths.h"

#include <QCommandLineParser>
#include <QDir>

namespace lumora {

namespace {
constexpr int kUsageError = 2;
const QString kEditor = QStringLiteral("lumora");
} // namespace

QString ProgramVersion()
{
    return QStringLiteral(LUMORA_VERSION);
}

QStringList DecodedArguments(int argc, char *argv[])
{
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << DecodeArgument(QByteArray(argv[i]));
    return args;
}

void Print(std::FILE *to, const QString &text)
{
    std::fputs(text.toUtf8().constData(), to);
}

int UsageError(const QString &program, const QString &message)
{
    Print(stderr, QStringLiteral("%1: %2\nTry '%1 --help' for more information.\n").arg(program, message));
    return kUsageError;
}

void AddStandardOptions(QCommandLineParser &parser)
{
    parser.addOption({{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Displays this help.")});
    parser.addVersionOption();
}

std::optional<int> HandleStandardOptions(QCommandLineParser &parser, const QStringList &args, const QString &program)
{
    if (!parser.parse(args))
        return UsageError(program, parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) {
        Print(stdout, parser.helpText());
        return 0;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        Print(stdout, QStringLiteral("%1 %2\n").arg(program, ProgramVersion()));
        return 0;
    }
    return std::nullopt;
}

std::optional<int> ParseEditorCommandLine(const QStringList &args, QString *file)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "The editor.  With FILE, opens it as File > Open does: RTF or text (UTF-8 or UTF-16 where the\n"
        "whole file is, else GBK), the window titled with its path.  Without FILE, starts empty."));
    AddStandardOptions(parser);
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The document to open."), QStringLiteral("[FILE]"));
    if (const std::optional<int> status = HandleStandardOptions(parser, args, kEditor))
        return status;
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1)
        return UsageError(kEditor, QStringLiteral("expected at most one file name, got %1").arg(files.size()));
    // The open dialog gives a full path, and the title shows it.
    file->clear();
    if (!files.isEmpty())
        *file = QDir::cleanPath(QDir::current().absoluteFilePath(files[0]));
    return std::nullopt;
}

} // namespace lumora
