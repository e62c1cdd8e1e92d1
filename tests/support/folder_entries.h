#pragma once
// A whole folder listing at once, for tests that look at what a folder holds.
#include "platform/files.h"

#include <string>
#include <vector>

namespace pw::test {

// The entries of folder in listing order, without "." and "..".
inline std::vector<platform::DirEntry> folderEntries(const std::string& folder) {
    std::vector<platform::DirEntry> entries;
    platform::FolderListing listing(folder);
    platform::DirEntry entry;
    while (listing.next(entry)) {
        if (entry.name != "." && entry.name != "..")
            entries.push_back(entry);
    }
    return entries;
}

} // namespace pw::test
