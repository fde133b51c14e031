#include "app/command_line.h"
#include "main_window/program.h"
#include "main_window/chinese_ui.h"

#include <QApplication>
#include <cstring>

namespace {
// --help and --version answer without a display, as lumora-batch's do.
bool AsksOnlyForText(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        for (const char *o : {"-h", "--help", "-v", "--version"}) {
            if (std::strcmp(argv[i], o) == 0)
                return true;
        }
    }
    return false;
}
} // namespace

int main(int argc, char *argv[])
{
    if (AsksOnlyForText(argc, argv))
        qputenv("QT_QPA_PLATFORM", "offscreen");   // no window: no display needed
    // Qt takes its own options (-platform, -style ...) out of argv first.
    QApplication app(argc, argv);
    QString file;
    if (const std::optional<int> status = lumora::ParseEditorCommandLine(lumora::DecodedArguments(argc, argv), &file))
        return *status;
    lumora::SetUpChineseUi(app);
    lumora::Program program;
    program.Start(file);
    return app.exec();
}
