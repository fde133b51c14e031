#include "document_commands.h"

#include "common_dialog.h"
#include "rich_text_box.h"

namespace lumora {

DocumentCommands::DocumentCommands(QWidget *window, RichTextBox &editor, CommonDialog &dialog)
    : QObject(window), m_window(window), m_editor(editor), m_dialog(dialog)
{
}

void DocumentCommands::create_Click() {}
void DocumentCommands::open_Click() {}
void DocumentCommands::save_Click() {}
void DocumentCommands::saveas_Click() {}

} // namespace lumora
