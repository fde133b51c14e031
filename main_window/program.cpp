#include "main_window/program.h"

#include "main_window/main_window.h"
#include "find_dialog/find_dialog.h"
#include "calculator/calculator_window.h"
#include "main_window/about_window.h"
#include "rich_text/rich_text_box.h"
#include "shared_ui/secondary_window.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>

namespace lumora {

Program::Program()
{
    // Every window of the program carries its icon.
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/lumora/lumora.png")));
    m_find = new SecondaryWindow([this] {
        // While a long file goes in, there is nothing whole to search yet.
        return std::make_unique<FindDialog>([this]() -> RichTextBox * {
            RichTextBox *editor = m_main ? m_main->Editor() : nullptr;
            return editor && !editor->IsLoading() ? editor : nullptr;
        });
    }, this);
    m_calculator = new SecondaryWindow([] { return std::make_unique<CalculatorWindow>(); }, this);
    m_about = new SecondaryWindow([] { return std::make_unique<AboutWindow>(); }, this);
}

Program::~Program()
{
    delete m_main.data();
}

MainWindow *Program::Start(const QString &file)
{
    m_main = new MainWindow(SecondaryWindows{m_find, m_calculator, m_about});
    m_main->show();
    if (!file.isEmpty())
        QTimer::singleShot(0, m_main, [window = m_main.data(), file] { window->OpenFile(file); });
    return m_main;
}

} // namespace lumora
