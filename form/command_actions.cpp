#include "form/command_actions.h"

#include <QAction>
#include <QKeySequence>
#include <QPointer>
#include <QWidget>
#include <algorithm>

namespace pw {
namespace {

// The commands a window takes keys for, in the order its list's context menu offers them.
constexpr Command kKeyedCommands[] = {
    Command::Add,  Command::AddFolder, Command::RemoveFile, Command::MoveUp, Command::MoveDown,
    Command::Sort, Command::Pages,     Command::Undo,       Command::Redo,   Command::Convert,
    Command::Stop, Command::Help,      Command::Exit};

const char* actionName(Command command) {
    switch (command) {
    case Command::Add:
        return "actionAdd";
    case Command::AddFolder:
        return "actionAddFolder";
    case Command::RemoveFile:
        return "actionRemove";
    case Command::MoveUp:
        return "actionUp";
    case Command::MoveDown:
        return "actionDown";
    case Command::Sort:
        return "actionSort";
    case Command::Pages:
        return "actionPages";
    case Command::Undo:
        return "actionUndo";
    case Command::Redo:
        return "actionRedo";
    case Command::Convert:
        return "actionConvert";
    case Command::Stop:
        return "actionStop";
    case Command::Help:
        return "actionHelp";
    case Command::Exit:
        return "actionExit";
    default:
        return "";
    }
}

} // namespace

QList<QKeySequence> commandShortcuts(Command command) {
    QList<QKeySequence> keys;
    for (const std::string& key : commandKeys(command))
        keys.push_back(QKeySequence::fromString(QString::fromStdString(key)));
    return keys;
}

void followCommand(QAction* action, CommandTable& commands, Command command) {
    action->setEnabled(commands.isEnabled(command));
    QObject::connect(action, &QAction::triggered, action,
                     [&commands, command] { commands.fire(command); });
    const QPointer<QAction> guarded = action;
    commands.watch([guarded, command](Command changed, bool enabled) {
        if (changed == command && guarded)
            guarded->setEnabled(enabled);
    });
}

QList<QAction*> addCommandActions(QWidget& owner, CommandTable& commands,
                                  std::initializer_list<Command> except) {
    QList<QAction*> actions;
    for (const Command command : kKeyedCommands) {
        if (std::find(except.begin(), except.end(), command) != except.end())
            continue;
        auto* action = new QAction(QString::fromStdString(commandCaption(command)), &owner);
        action->setObjectName(QString::fromUtf8(actionName(command)));
        action->setShortcuts(commandShortcuts(command));
        action->setShortcutContext(Qt::WindowShortcut);
        followCommand(action, commands, command);
        owner.addAction(action);
        actions.push_back(action);
    }
    return actions;
}

} // namespace pw
