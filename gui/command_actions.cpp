#include "gui/command_actions.h"

#include <QAction>
#include <QKeySequence>
#include <QPointer>
#include <QWidget>
#include <algorithm>

namespace pw::gui {
namespace {

// The commands a window takes keys for, in the order its list's context menu offers them.
constexpr app::Command kKeyedCommands[] = {
    app::Command::Add,      app::Command::AddFolder, app::Command::RemoveFile, app::Command::MoveUp,
    app::Command::MoveDown, app::Command::Sort,      app::Command::Pages,      app::Command::Undo,
    app::Command::Redo,     app::Command::Convert,   app::Command::Stop,       app::Command::Help,
    app::Command::Exit};

const char* actionName(app::Command command) {
    switch (command) {
    case app::Command::Add:
        return "actionAdd";
    case app::Command::AddFolder:
        return "actionAddFolder";
    case app::Command::RemoveFile:
        return "actionRemove";
    case app::Command::MoveUp:
        return "actionUp";
    case app::Command::MoveDown:
        return "actionDown";
    case app::Command::Sort:
        return "actionSort";
    case app::Command::Pages:
        return "actionPages";
    case app::Command::Undo:
        return "actionUndo";
    case app::Command::Redo:
        return "actionRedo";
    case app::Command::Convert:
        return "actionConvert";
    case app::Command::Stop:
        return "actionStop";
    case app::Command::Help:
        return "actionHelp";
    case app::Command::Exit:
        return "actionExit";
    default:
        return "";
    }
}

} // namespace

QList<QKeySequence> commandShortcuts(app::Command command) {
    QList<QKeySequence> keys;
    for (const std::string& key : app::commandKeys(command))
        keys.push_back(QKeySequence::fromString(QString::fromStdString(key)));
    return keys;
}

void followCommand(QAction* action, app::CommandTable& commands, app::Command command) {
    action->setEnabled(commands.isEnabled(command));
    QObject::connect(action, &QAction::triggered, action,
                     [&commands, command] { commands.fire(command); });
    const QPointer<QAction> guarded = action;
    commands.watch([guarded, command](app::Command changed, bool enabled) {
        if (changed == command && guarded)
            guarded->setEnabled(enabled);
    });
}

QList<QAction*> addCommandActions(QWidget& owner, app::CommandTable& commands,
                                  std::initializer_list<app::Command> except) {
    QList<QAction*> actions;
    for (const app::Command command : kKeyedCommands) {
        if (std::find(except.begin(), except.end(), command) != except.end())
            continue;
        auto* action = new QAction(QString::fromStdString(app::commandCaption(command)), &owner);
        action->setObjectName(QString::fromUtf8(actionName(command)));
        action->setShortcuts(commandShortcuts(command));
        action->setShortcutContext(Qt::WindowShortcut);
        followCommand(action, commands, command);
        owner.addAction(action);
        actions.push_back(action);
    }
    return actions;
}

} // namespace pw::gui
