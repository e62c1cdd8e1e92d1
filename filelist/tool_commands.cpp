#include "filelist/tool_commands.h"

#include "core/command_table.h"
#include "filelist/engine_view.h"
#include "filelist/file_list.h"
#include "filelist/folder_scan.h"
#include "filelist/front_view.h"
#include "filelist/help_pages.h"
#include "filelist/narrow_files.h"
#include "platform/pump.h"
#include "settings/CommonDlgsW.h"

#include <optional>
#include <stdexcept>

namespace pw {

ToolCommands::ToolCommands(FileList& list, FrontView& front, EngineView& engine,
                           CommonDlgsW& dialogs, os::Prompts& prompts, os::MessagePump& pump)
    : list_(list), front_(front), engine_(engine), dialogs_(dialogs), prompts_(prompts),
      pump_(pump) {}

void ToolCommands::hideDropPanelAndPump() {
    engine_.hideDropPanel();
    pump_.pumpOnce();
}

void ToolCommands::CmdToolsBar_Click(std::int16_t index) {
    hideDropPanelAndPump();
    switch (index) {
    case Add:
        addFile();
        break;
    case AddFolder:
        addFolder();
        break;
    case Remove:
        removeSelected();
        break;
    case Clean:
        clean();
        break;
    case MoveDown:
        moveDown();
        break;
    case Exit:
        engine_.exitApplication();
        break;
    case MoveUp:
        moveUp();
        break;
    default:
        break;
    }
}

bool ToolCommands::addPickedFile(const std::string& path) {
    if (list_.isFull())
        return false;
    if (NarrowFileExists(path))
        return list_.append(path, path);
    const std::optional<std::string> copy = makeScratchCopy(path, path);
    return copy && list_.append(*copy, path);
}

void ToolCommands::addFile() {
    dialogs_.Filter = kAddFilter;
    dialogs_.Title = "Open Files";
    bool confirmed = false;
    try {
        confirmed = dialogs_.ShowOpen();
    } catch (const std::invalid_argument&) {
        confirmed = false; // a remembered name too long for the dialog: nothing is picked
    }
    engine_.repaint();
    hideDropPanelAndPump();
    if (!confirmed)
        return;
    if (!dialogs_.FileName.empty()) {
        ensureScratchFolder(); // a failure shows as a failed copy, which still adds the entry
        addPickedFile(dialogs_.FileName);
    }
    front_.setHintVisible(list_.isEmpty());
    dialogs_.FileName.clear();
    front_.repaint();
}

void ToolCommands::addFolder() {
    BrowseFolderAndSearch(prompts_, list_, front_, engine_, pump_);
    front_.setHintText(kDropHintText);
    front_.setFrontLocked(false);
    hideDropPanelAndPump();
    front_.repaint();
}

void ToolCommands::showEmptyList() {
    front_.setHintVisible(true);
    front_.setPageText(kNoPageText);
    front_.setFilenameText("");
}

void ToolCommands::removeSelected() {
    if (list_.isEmpty())
        return;
    list_.removeAt(list_.selected());
    if (list_.isEmpty())
        showEmptyList();
}

void ToolCommands::clean() {
    list_.clear();
    showEmptyList();
}

void ToolCommands::moveDown() {
    const int k = list_.selected();
    if (k < 0 || k >= list_.count() - 1)
        return;
    list_.swap(k, k + 1);
}

void ToolCommands::moveUp() {
    const int k = list_.selected();
    if (k < 1)
        return;
    list_.swap(k, k - 1);
}

void ToolCommands::menuSort_Click() {
    list_.sort(pump_);
}

void ToolCommands::menuWeb_Click() {
    engine_.openUrl(productPageUrl());
}

void bindToolCommands(CommandTable& table, ToolCommands& commands, EngineView& engine) {
    for (std::int16_t index = 0; index < 7; ++index) {
        if (const std::optional<Command> command = toolsBarCommand(index))
            table.bind(*command, [&commands, index] { commands.CmdToolsBar_Click(index); });
    }
    table.bind(Command::ChooseRemove, [&engine] { engine.showRemoveMenu(); });
    table.bind(Command::Sort, [&commands] { commands.menuSort_Click(); });
    table.bind(Command::Website, [&commands] { commands.menuWeb_Click(); });
}

} // namespace pw
