#include "app/tool_commands.h"

#include "app/command_table.h"
#include "app/engine_view.h"
#include "app/file_list.h"
#include "app/folder_scan.h"
#include "app/front_view.h"
#include "app/help_pages.h"
#include "app/last_folder.h"
#include "app/narrow_files.h"
#include "pictures/picture_kinds.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/pump.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

namespace pw::app {

std::string addFilter() {
    return pictures::openDialogFilter();
}
namespace {

constexpr std::uint32_t kMultipleSelection = 0x200;

// The open dialog's answer with multiple selection: one path, or the folder and the names
// separated by NULs.
std::vector<std::string> pickedPaths(const std::string& answer) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start < answer.size()) {
        const std::size_t end = std::min(answer.find('\0', start), answer.size());
        if (end > start)
            parts.push_back(answer.substr(start, end - start));
        start = end + 1;
    }
    if (parts.size() < 2)
        return parts;
    std::vector<std::string> paths;
    for (std::size_t i = 1; i < parts.size(); ++i)
        paths.push_back(platform::joinPath(parts.front(), parts[i]));
    return paths;
}

} // namespace

ToolCommands::ToolCommands(FileList& list, FrontView& front, EngineView& engine,
                           LastFolder& lastFolder, platform::Prompts& prompts,
                           platform::MessagePump& pump)
    : list_(list), front_(front), engine_(engine), lastFolder_(lastFolder), prompts_(prompts),
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
    platform::FileDialogRequest request;
    request.filter = addFilter();
    request.initialDir = lastFolder_.startFolder();
    request.flags = kMultipleSelection;
    platform::FileDialogResult result;
    const bool confirmed = prompts_.openFile(request, result);
    engine_.repaint();
    hideDropPanelAndPump();
    if (!confirmed)
        return;
    const std::vector<std::string> picked = pickedPaths(result.fileName);
    const PictureListModel::Edit edit(list_.model()); // every picked file undoes as one
    if (!picked.empty()) {
        lastFolder_.remember(std::filesystem::path(picked.front()).parent_path().string());
        ensureScratchFolder(); // a failure shows as a failed copy, which still adds the entry
        for (const std::string& path : picked) {
            if (list_.isFull())
                break;
            addPickedFile(path);
        }
    }
    front_.setHintVisible(list_.isEmpty());
    front_.repaint();
}

void ToolCommands::addFolder() {
    {
        const PictureListModel::Edit edit(list_.model()); // the whole folder undoes as one
        lastFolder_.remember(BrowseFolderAndSearch(prompts_, list_, front_, engine_, pump_,
                                                   lastFolder_.startFolder(),
                                                   folderPdfs && folderPdfs()));
    }
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
    list_.sort();
}

void ToolCommands::menuWeb_Click() {
    engine_.openUrl(productPageUrl());
}

void ToolCommands::undo() {
    if (list_.undo())
        front_.setHintVisible(list_.isEmpty());
}

void ToolCommands::redo() {
    if (list_.redo())
        front_.setHintVisible(list_.isEmpty());
}

void bindToolCommands(CommandTable& table, ToolCommands& commands, EngineView& engine) {
    for (std::int16_t index = 0; index < 7; ++index) {
        if (const std::optional<Command> command = toolsBarCommand(index))
            table.bind(*command, [&commands, index] { commands.CmdToolsBar_Click(index); });
    }
    table.bind(Command::ChooseRemove, [&engine] { engine.showRemoveMenu(); });
    table.bind(Command::Sort, [&commands] { commands.menuSort_Click(); });
    table.bind(Command::Website, [&commands] { commands.menuWeb_Click(); });
    table.bind(Command::Undo, [&commands] { commands.undo(); });
    table.bind(Command::Redo, [&commands] { commands.redo(); });
}

} // namespace pw::app
