#include "core/command_table.h"

namespace pw {
namespace {

std::size_t slot(Command command) {
    return static_cast<std::size_t>(command);
}

} // namespace

CommandTable::CommandTable() {
    disabled_.set(slot(Command::Stop));
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
