#pragma once
// The engine form's file-list commands: the CmdToolsBar dispatcher and the menu items that
// do not go through it (Sort, Website).
//
// Menu items and their dispatcher index: menuAdd 0, menuFolder 1, menuExit 5, menuRemove 2,
// menuRemoveAll 3, menuUp 6, menuDown 4. menuSort calls menuSort_Click, menuWeb
// menuWeb_Click.
#include <cstdint>
#include <functional>
#include <string>

namespace pw::platform {
class MessagePump;
class Prompts;
} // namespace pw::platform

namespace pw::app {

class CommandTable;
class EngineView;
class FileList;
class FrontView;
class LastFolder;

// The open dialog's filter for Add, from the table of picture kinds.
std::string addFilter();

class ToolCommands {
public:
    enum Index : std::int16_t {
        Add = 0,
        AddFolder = 1,
        Remove = 2,
        Clean = 3,
        MoveDown = 4,
        Exit = 5,
        MoveUp = 6
    };

    // Add and Add Folder start in lastFolder and remember the folder they used there.
    ToolCommands(FileList& list, FrontView& front, EngineView& engine, LastFolder& lastFolder,
                 platform::Prompts& prompts, platform::MessagePump& pump);

    // Runs the command of Index; any other index does nothing. Every command first hides the
    // engine form's drop panel and lets pending messages run.
    void CmdToolsBar_Click(std::int16_t index);
    // "Sort by File Path and Name".
    void menuSort_Click();
    // "Website": the product page.
    void menuWeb_Click();
    // Undo and Redo: the list's last change taken back or made again.
    void undo();
    void redo();

    // Appends a picked file: (path, path) when the narrow file functions find it, else a
    // scratch copy with the picked path shown. False when nothing was added.
    bool addPickedFile(const std::string& path);

    // Whether Add Folder takes PDFs (the setting FolderPdfs as it is now); none when unset.
    std::function<bool()> folderPdfs;

private:
    // Add: the open dialog takes several files; each is appended in the dialog's order, as a
    // single pick is, until the list is full.
    void addFile();
    void addFolder();
    void removeSelected();
    void clean();
    void moveDown();
    void moveUp();
    void showEmptyList();
    void hideDropPanelAndPump();

    FileList& list_;
    FrontView& front_;
    EngineView& engine_;
    LastFolder& lastFolder_;
    platform::Prompts& prompts_;
    platform::MessagePump& pump_;
};

// Binds the commands these handlers run: the tool buttons' commands through the dispatcher
// with their design index, the "Remove" pop-up through the engine form, Sort, Website, Undo
// and Redo.
// Convert is left to the owner of the table.
void bindToolCommands(CommandTable& table, ToolCommands& commands, EngineView& engine);

} // namespace pw::app
