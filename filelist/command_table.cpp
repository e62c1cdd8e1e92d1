#include "filelist/command_table.h"

namespace pw {
namespace {

std::size_t slot(Command command) {
    return static_cast<std::size_t>(command);
}

} // namespace

void CommandTable::bind(Command command, std::function<void()> handler) {
    handlers_[slot(command)] = std::move(handler);
}

void CommandTable::fire(Command command) const {
    // A copy: the handler may rebind its own entry while it runs.
    const std::function<void()> handler = handlers_[slot(command)];
    if (handler)
        handler();
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
