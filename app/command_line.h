#pragma once

#include <QString>
#include <QStringList>
#include <cstdio>
#include <optional>

class QCommandLineParser;

namespace lumora {

// The version both programs report.
QString ProgramVersion();

// The arguments as the system gave them, each through DecodeArgument, so
// that a name keeps its exact bytes.
QStringList DecodedArguments(int argc, char *argv[]);

void Print(std::FILE *to, const QString &text);

// Says on stderr what is wrong with the command line of `program` and
// where to read more; returns the exit status for it.
int UsageError(const QString &program, const QString &message);

// Adds -h/--help and -v/--version.  Not addHelpOption(): its --help-all
// offers Qt's options, which the programs do not document.
void AddStandardOptions(QCommandLineParser &parser);

// Parses `args` (the program's name first).  For --help, --version or a
// line that does not parse, answers on stdout or stderr and returns the
// exit status; otherwise nothing, and the program goes on.
std::optional<int> HandleStandardOptions(QCommandLineParser &parser, const QStringList &args, const QString &program);

// The editor's command line, "lumora [FILE]".  Returns the exit status when
// the editor is not to start; otherwise *file gets the absolute path of the
// file to open, or stays empty when none was given.
std::optional<int> ParseEditorCommandLine(const QStringList &args, QString *file);

} // namespace lumora
