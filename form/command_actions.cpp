#include "form/command_actions.h"

#include <QAction>
#include <QKeySequence>
#include <QPointer>
#include <QWidget>
#include <algorithm>

namespace pw {
namespace {

struct Binding {
    Command command;
    const char* name;
    const char* text;
    QList<QKeySequence> keys;
};

} // namespace

QList<QAction*> addCommandActions(QWidget& owner, CommandTable& commands,
                                  std::initializer_list<Command> except) {
    const Binding bindings[] = {
        {Command::Add, "actionAdd", "Add a File", {QKeySequence(Qt::CTRL | Qt::Key_O)}},
        {Command::AddFolder,
         "actionAddFolder",
         "Add Folder",
         {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O)}},
        {Command::RemoveFile, "actionRemove", "Remove a File", {QKeySequence(Qt::Key_Delete)}},
        {Command::MoveUp, "actionUp", "Move Up", {QKeySequence(Qt::CTRL | Qt::Key_Up)}},
        {Command::MoveDown, "actionDown", "Move Down", {QKeySequence(Qt::CTRL | Qt::Key_Down)}},
        {Command::Sort, "actionSort", "Sort by File Path and Name", {}},
        {Command::Convert,
         "actionConvert",
         "Convert",
         {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)}},
        {Command::Stop, "actionStop", "Stop", {QKeySequence(Qt::Key_Escape)}},
        {Command::Help, "actionHelp", "Help", {QKeySequence(Qt::Key_F1)}},
        {Command::Exit, "actionExit", "Exit", {QKeySequence(Qt::CTRL | Qt::Key_Q)}},
    };
    QList<QAction*> actions;
    for (const Binding& binding : bindings) {
        if (std::find(except.begin(), except.end(), binding.command) != except.end())
            continue;
        auto* action = new QAction(QString::fromUtf8(binding.text), &owner);
        action->setObjectName(QString::fromUtf8(binding.name));
        action->setShortcuts(binding.keys);
        action->setShortcutContext(Qt::WindowShortcut);
        action->setEnabled(commands.isEnabled(binding.command));
        const Command command = binding.command;
        QObject::connect(action, &QAction::triggered, &owner,
                         [&commands, command] { commands.fire(command); });
        const QPointer<QAction> guarded = action;
        commands.watch([guarded, command](Command changed, bool enabled) {
            if (changed == command && guarded)
                guarded->setEnabled(enabled);
        });
        owner.addAction(action);
        actions.push_back(action);
    }
    return actions;
}

} // namespace pw
