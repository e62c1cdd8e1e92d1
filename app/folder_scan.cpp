#include "app/folder_scan.h"

#include "app/engine_view.h"
#include "app/file_list.h"
#include "app/front_view.h"
#include "app/picture_names.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/pump.h"

#include <vector>

namespace pw::app {

void SearchFolder(const std::string& folder, FileList& list, platform::MessagePump& pump,
                  bool withPdfs) {
    SearchFolder(
        folder, [&list](const std::string& path) { list.append(path, path); }, pump, withPdfs);
}

void SearchFolder(const std::string& folder, const std::function<void(const std::string&)>& add,
                  platform::MessagePump& pump, bool withPdfs) {
    std::vector<std::string> subfolders;
    {
        platform::FolderListing listing(folder);
        platform::DirEntry entry;
        bool first = true;
        while (listing.next(entry)) {
            const std::string path = platform::joinPath(folder, entry.name);
            if (entry.attributes == platform::AttrDirectory) {
                if (entry.name != "." && entry.name != ".." &&
                    subfolders.size() < static_cast<std::size_t>(kMaxSubfolders))
                    subfolders.push_back(path);
            } else if (hasPictureExtension(entry.name) &&
                       (withPdfs || !hasPdfExtension(entry.name))) {
                add(path);
            }
            // The first entry comes with opening the listing; messages run after each later one.
            if (!first) {
                pump.pumpOnce();
                pump.pumpOnce();
            }
            first = false;
        }
    } // the listing is closed before the walk goes deeper
    for (const std::string& subfolder : subfolders)
        SearchFolder(subfolder, add, pump, withPdfs);
}

std::string BrowseFolderAndSearch(platform::Prompts& prompts, FileList& list, FrontView& front,
                                  EngineView& engine, platform::MessagePump& pump,
                                  const std::string& startFolder, bool withPdfs) {
    std::string folder = startFolder;
    const bool chosen = prompts.browseFolder("Please select a folder:", folder);
    if (!chosen)
        folder.clear();
    front.setHintVisible(true);
    front.setHintText(kSearchingText);
    front.setFrontLocked(true);
    if (chosen) {
        const auto nul = folder.find('\0');
        if (nul != std::string::npos)
            folder.resize(nul);
        if (!folder.empty()) {
            // The hint box covers the list meanwhile: repainting it after every entry would
            // cost far more than the search itself.
            list.pauseDisplay(true);
            SearchFolder(folder, list, pump, withPdfs);
            list.pauseDisplay(false);
        }
    }
    front.setHintVisible(list.isEmpty());
    engine.repaint();
    return folder;
}

} // namespace pw::app
