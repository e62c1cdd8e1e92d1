#include "filelist/opened_paths.h"

#include "filelist/file_list.h"
#include "filelist/folder_scan.h"
#include "filelist/front_view.h"
#include "filelist/narrow_files.h"
#include "filelist/picture_names.h"

#include <filesystem>
#include <optional>
#include <system_error>

namespace pw {

void AddOpenedPaths(const std::vector<std::string>& paths, FileList& list, FrontView& front,
                    os::MessagePump& pump) {
    // Searching a folder pumps messages: the front stays locked meanwhile, as for Add Folder,
    // so no Convert runs on half a list.
    front.setHintVisible(true);
    front.setHintText(kSearchingText);
    front.setFrontLocked(true);
    list.pauseDisplay(true);
    for (const std::string& path : paths) {
        if (list.isFull())
            break;
        std::error_code error; // a path that cannot be examined is no folder
        if (std::filesystem::is_directory(path, error)) {
            SearchFolder(path, list, pump);
        } else if (hasPictureExtension(path)) {
            if (NarrowFileExists(path)) {
                list.append(path, path);
                continue;
            }
            ensureScratchFolder(); // a failure shows as a failed copy, which adds nothing
            if (const std::optional<std::string> copy = makeScratchCopy(path, path))
                list.append(*copy, path);
        }
    }
    list.pauseDisplay(false);
    front.setFrontLocked(false);
    front.setHintText(kDropHintText);
    front.setHintVisible(list.isEmpty());
}

} // namespace pw
