#pragma once
// The keyboard's way to the commands: one action per command with its shortcut, enabled as
// its command is. A window adds the actions to take the keys while it is active, and offers
// them on its list's context menu.
#include "core/command_table.h"

#include <QList>

class QAction;
class QWidget;

namespace pw {

// The actions, children of `owner`, added to it so their shortcuts work in its window:
// Ctrl+O Add, Ctrl+Shift+O Add Folder, Delete Remove, Ctrl+Up / Ctrl+Down Move Up / Down,
// Ctrl+Enter Convert, Esc Stop, F1 Help, Ctrl+Q Exit.
QList<QAction*> addCommandActions(QWidget& owner, CommandTable& commands);

} // namespace pw
