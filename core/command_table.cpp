#include "core/command_table.h"

namespace pw {
namespace {

std::size_t slot(Command command) {
    return static_cast<std::size_t>(command);
}

} // namespace

CommandTable::CommandTable() {
    for (const Command command : {Command::Stop, Command::Undo, Command::Redo})
        disabled_.set(slot(command));
}

void CommandTable::bind(Command command, std::function<void()> handler) {
    handlers_[slot(command)] = std::move(handler);
}

void CommandTable::fire(Command command) const {
    if (!isEnabled(command))
        return;
    // A copy: the handler may rebind its own entry while it runs.
    const std::function<void()> handler = handlers_[slot(command)];
    if (handler)
        handler();
}

void CommandTable::setEnabled(Command command, bool enabled) {
    if (isEnabled(command) == enabled)
        return;
    disabled_.set(slot(command), !enabled);
    for (const auto& changed : watchers_)
        changed(command, enabled);
}

bool CommandTable::isEnabled(Command command) const {
    return !disabled_.test(slot(command));
}

void CommandTable::watch(std::function<void(Command, bool)> changed) {
    watchers_.push_back(std::move(changed));
}

std::string commandCaption(Command command) {
    switch (command) {
    case Command::Add:
        return "Add a File";
    case Command::RemoveFile:
        return "Remove a File";
    case Command::RemoveAllFiles:
        return "Remove All Files";
    case Command::ChooseRemove:
        return "Remove";
    case Command::AddFolder:
        return "Add Folder";
    case Command::Settings:
        return "Settings";
    case Command::Help:
        return "Help";
    case Command::Website:
        return "Website";
    case Command::Exit:
        return "Exit";
    case Command::Sort:
        return "Sort by File Path and Name";
    case Command::MoveUp:
        return "Move Up";
    case Command::MoveDown:
        return "Move Down";
    case Command::Convert:
        return "Convert";
    case Command::Stop:
        return "Stop";
    case Command::About:
        return "About";
    case Command::Save:
        return "Save";
    case Command::Browse:
        return "Browse";
    case Command::Pages:
        return "Pages...";
    case Command::Undo:
        return "Undo";
    case Command::Redo:
        return "Redo";
    }
    return {};
}

std::vector<std::string> commandKeys(Command command) {
    switch (command) {
    case Command::Add:
        return {"Ctrl+O"};
    case Command::AddFolder:
        return {"Ctrl+Shift+O"};
    case Command::RemoveFile:
        return {"Del"};
    case Command::MoveUp:
        return {"Ctrl+Up"};
    case Command::MoveDown:
        return {"Ctrl+Down"};
    case Command::Convert:
        return {"Ctrl+Return", "Ctrl+Enter"};
    case Command::Stop:
        return {"Esc"};
    case Command::Help:
        return {"F1"};
    case Command::Exit:
        return {"Ctrl+Q"};
    case Command::Pages:
        return {"Ctrl+P"};
    case Command::Undo:
        return {"Ctrl+Z"};
    case Command::Redo:
        return {"Ctrl+Shift+Z"};
    default:
        return {};
    }
}

std::optional<Command> toolsBarCommand(int index) {
    static constexpr std::array<Command, 7> kToolsBar = {
        Command::Add,      Command::AddFolder, Command::RemoveFile, Command::RemoveAllFiles,
        Command::MoveDown, Command::Exit,      Command::MoveUp};
    if (index < 0 || index >= static_cast<int>(kToolsBar.size()))
        return std::nullopt;
    return kToolsBar[static_cast<std::size_t>(index)];
}

std::optional<Command> frontToolbarCommand(int index) {
    static constexpr std::array<Command, 6> kToolbar = {Command::Add,       Command::ChooseRemove,
                                                        Command::AddFolder, Command::Settings,
                                                        Command::Help,      Command::Exit};
    if (index < 0 || index >= static_cast<int>(kToolbar.size()))
        return std::nullopt;
    return kToolbar[static_cast<std::size_t>(index)];
}

std::optional<Command> relayCommand(const std::string& word) {
    if (word == "Add")
        return Command::Add;
    if (word == "Remove")
        return Command::ChooseRemove;
    if (word == "Add Folder")
        return Command::AddFolder;
    if (word == "Convert")
        return Command::Convert;
    return std::nullopt;
}

} // namespace pw
