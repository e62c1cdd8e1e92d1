#pragma once
// A whole folder listing at once, for tests that look at what a folder holds.
#include "platform/files.h"

#include <string>
#include <vector>

namespace pw::test {

// The entries of folder in listing order, without "." and "..".
inline std::vector<os::DirEntry> folderEntries(const std::string& folder) {
    std::vector<os::DirEntry> entries;
    os::FolderListing listing(folder);
    os::DirEntry entry;
    while (listing.next(entry)) {
        if (entry.name != "." && entry.name != "..")
            entries.push_back(entry);
    }
    return entries;
}

} // namespace pw::test
