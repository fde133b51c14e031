#include "edit_commands.h"

#include "common_dialog.h"
#include "rich_text_box.h"
#include "word_wrap.h"

#include <QAction>

namespace lumora {

EditCommands::EditCommands(QWidget *window, RichTextBox &editor, CommonDialog &dialog, QAction &autoendl)
    : QObject(window), m_window(window), m_editor(editor), m_dialog(dialog), m_autoendl(autoendl)
{
}

void EditCommands::unndo_Click() {}
void EditCommands::copy_Click() {}
void EditCommands::shit_Click() {}
void EditCommands::insterdata_Click() {}

void EditCommands::autoendl_Click()
{
    // Runs on the item's trigger, after the item has flipped its own mark:
    // the mark now says whether wrapping is to be on.
    ApplyWordWrap(m_editor, m_autoendl.isChecked());
}

void EditCommands::setfo_Click() {}

} // namespace lumora
