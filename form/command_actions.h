#pragma once
// The keyboard's way to the commands: one action per command with its shortcut, enabled as
// its command is. A window adds the actions to take the keys while it is active, and offers
// them on its list's context menu.
#include "core/command_table.h"

#include <QList>
#include <initializer_list>

class QAction;
class QWidget;

namespace pw {

// The actions, children of `owner`, added to it so their shortcuts work in its window:
// Ctrl+O Add, Ctrl+Shift+O Add Folder, Delete Remove, Ctrl+Up / Ctrl+Down Move Up / Down,
// Ctrl+Enter Convert, Esc Stop, F1 Help, Ctrl+Q Exit; but those in `except`, whose keys the
// window uses otherwise.
QList<QAction*> addCommandActions(QWidget& owner, CommandTable& commands,
                                  std::initializer_list<Command> except = {});

} // namespace pw
