#include "main_window/program.h"
#include "main_window/chinese_ui.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    lumora::SetUpChineseUi(app);
    lumora::Program program;
    program.Start();
    return app.exec();
}
