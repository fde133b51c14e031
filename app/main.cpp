#include "app/command_line.h"
#include "main_window/program.h"
#include "main_window/chinese_ui.h"

#include <QApplication>

int main(int argc, char *argv[])
{
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
