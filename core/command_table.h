#pragma once
// The program's commands, one table for every way of firing them: the front window's picture
// buttons, the engine form's menu items and tool buttons, the keyboard, and the relay words of
// txtMsg. The owner of the job and the lists binds each command once and sets which are
// enabled; views fire them and follow their enabled state.
#include <array>
#include <bitset>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace pw {

enum class Command {
    Add,
    RemoveFile,
    RemoveAllFiles,
    ChooseRemove, // the "Remove" pop-up: Remove a File or Remove All Files
    AddFolder,
    Settings,
    Help,
    Website,
    Exit,
    Sort,
    MoveUp,
    MoveDown,
    Convert,
    Stop, // ends the running job
    About,
    Save,
    Browse,
    Pages, // the "Pages" window
    Undo,  // the list's last change taken back
    Redo,
};
inline constexpr std::size_t kCommandCount = static_cast<std::size_t>(Command::Redo) + 1;

class CommandTable {
public:
    CommandTable();

    // Binds a command; a later binding replaces an earlier one.
    void bind(Command command, std::function<void()> handler);
    // Runs the command's handler; an unbound or disabled command does nothing.
    void fire(Command command) const;

    // Every command starts enabled but Stop, which is for a running job, and Undo and Redo,
    // which wait for a change to the list.
    void setEnabled(Command command, bool enabled);
    bool isEnabled(Command command) const;
    // `changed` runs whenever a command's enabled state changes, so views keep their
    // controls in step.
    void watch(std::function<void(Command, bool)> changed);

private:
    std::array<std::function<void()>, kCommandCount> handlers_;
    std::bitset<kCommandCount> disabled_;
    std::vector<std::function<void(Command, bool)>> watchers_;
};

// The commands that change the list, the settings or start a job: disabled while a job runs.
inline constexpr std::array<Command, 12> kLockedDuringJob = {
    Command::Add,       Command::RemoveFile, Command::RemoveAllFiles, Command::ChooseRemove,
    Command::AddFolder, Command::Settings,   Command::Sort,           Command::MoveUp,
    Command::MoveDown,  Command::Convert,    Command::Save,           Command::Browse};

// The command's caption in menus ("Add a File", "Pages...").
std::string commandCaption(Command command);
// The command's keys in Qt's portable text ("Ctrl+Shift+O", "Del"), the first one the key
// menus show beside the caption; none for most commands.
std::vector<std::string> commandKeys(Command command);

// The engine form's tool buttons by their design index (CmdToolsBar 0..6); nothing for any
// other index.
std::optional<Command> toolsBarCommand(int index);
// The front window's picture buttons imgToolbar by their design index (0..5): Add, the
// "Remove" pop-up, Add Folder, Settings, Help, Exit; nothing for any other index.
std::optional<Command> frontToolbarCommand(int index);
// The relay words, compared exactly: "Add", "Remove", "Add Folder", "Convert".
std::optional<Command> relayCommand(const std::string& word);

} // namespace pw
