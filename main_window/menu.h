#pragma once

#include <QHash>
#include <QString>

class QAction;
class QMenuBar;

namespace lumora {

// Builds the main window's six menus with their items, in order, each
// action and menu named after its item ("create", "open", ..., "about").
// No item has a shortcut; "autoendl" starts ticked.
QHash<QString, QAction *> BuildMainMenu(QMenuBar *bar);

} // namespace lumora
