#include "platform/remove_folder_tree.h"

#include "platform/files.h"
#include "platform/paths.h"

#include <set>

namespace pw::platform {
namespace {

bool isRealFolder(std::uint32_t attributes) {
    return (attributes & platform::AttrDirectory) != 0 &&
           (attributes & platform::AttrReparsePoint) == 0;
}

// Empties the folder and removes it; returns whether it is gone.
bool removeTree(const std::string& folder) {
    if (!isDirectory(folder))
        return false;
    // Entries can only be deleted from a writable folder.
    setNormalAttributes(folder);
    // Folders that could not be removed are skipped when the listing starts over.
    std::set<std::string> failedFolders;
    bool restart = true;
    while (restart) {
        restart = false;
        FolderListing listing(folder);
        if (!listing.ok())
            break;
        DirEntry entry;
        while (listing.next(entry)) {
            if (entry.name == "." || entry.name == "..")
                continue;
            const std::string path = joinPath(folder, entry.name);
            if (isRealFolder(entry.attributes)) {
                if (failedFolders.count(entry.name) != 0)
                    continue;
                if (!removeTree(path))
                    failedFolders.insert(entry.name);
                restart = true;
                break;
            }
            // The mode is changed only when needed: a staged file may be a second name of the
            // user's picture, and chmod would follow a link to its target.
            if (!removeFile(path) && (entry.attributes & platform::AttrReparsePoint) == 0 &&
                setNormalAttributes(path))
                removeFile(path);
        }
    }
    return removeFolder(folder);
}

} // namespace

void removeFolderTree(const std::string& folder) {
    removeTree(folder);
}

} // namespace pw::platform
