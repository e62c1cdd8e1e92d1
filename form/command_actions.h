#pragma once
// The keyboard's way to the commands: one action per command with its shortcut, enabled as
// its command is. A window adds the actions to take the keys while it is active, and offers
// them on its list's context menu.
#include "core/command_table.h"

#include <QList>
#include <initializer_list>

class QAction;
class QKeySequence;
class QWidget;

namespace pw {

// The command's keys as the command table gives them.
QList<QKeySequence> commandShortcuts(Command command);
// The action fires the command and is enabled while the command is.
void followCommand(QAction* action, CommandTable& commands, Command command);

// The actions, children of `owner`, added to it so their shortcuts work in its window: every
// command with keys (Add, Add Folder, Remove, Move Up / Down, Pages, Undo, Redo, Convert,
// Stop, Help, Exit) and Sort; but those in `except`, whose keys the window uses otherwise.
QList<QAction*> addCommandActions(QWidget& owner, CommandTable& commands,
                                  std::initializer_list<Command> except = {});

} // namespace pw
