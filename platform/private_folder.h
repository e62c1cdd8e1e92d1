#pragma once
// Folders only this user may enter (mode 0700).
#include <string>

namespace pw::platform {

// Makes the folder and any missing parents, each new one with mode 0700; existing folders keep
// their mode. True when path is a directory afterwards; when false, errno says why.
bool makePrivateFolders(const std::string& path);

// Leaves an empty directory at path, owned by this user with mode 0700. Anything else found
// there (a symbolic link, a file, a folder of another owner or mode) is removed first - a link
// itself, never what it points to - and an existing private folder is emptied.
bool resetPrivateFolder(const std::string& path);

// Leaves a directory at path owned by this user with mode 0700, as resetPrivateFolder does, but
// a private folder found there keeps what it holds. Missing parents are made (mode 0700).
bool keepPrivateFolder(const std::string& path);

} // namespace pw::platform
