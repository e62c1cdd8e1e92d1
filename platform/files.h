#pragma once
// Files and folders, with Windows-style attribute bits.
#include <cstdint>
#include <string>
#include <vector>

namespace pw::platform {

enum Attribute : std::uint32_t {
    AttrReadOnly = 1, // a file (not a folder) without the owner write bit
    AttrHidden = 2,   // name starts with "."
    AttrSystem = 4,   // not a regular file, directory or link (device, socket, fifo)
    AttrDirectory = 16,
    AttrArchive = 32,       // set on every regular file
    AttrReparsePoint = 1024 // a symbolic link (never followed)
};

// Attribute bits of a path (of the link itself for a symbolic link); -1 when it does not exist.
std::int64_t attributes(const std::string& path);
// Clears read-only (adds the owner write bit). Hidden cannot be cleared on Linux and is ignored.
bool setNormalAttributes(const std::string& path);

bool pathExists(const std::string& path);  // anything, links included
bool isDirectory(const std::string& path); // a real directory, not a link to one
// A file that is not a directory (normal, read-only, archive): the existence test the job uses.
bool fileExists(const std::string& path);
// A pipe, socket or device (after links): opening it to read may wait for ever.
bool isDeviceOrPipe(const std::string& path);
// Pattern search like FindFirstFile: '*' and '?' in the last component are wildcards.
bool patternExists(const std::string& pattern);

// Copies a file; with failIfExists an existing target is an error, else it is replaced.
// The copy is written beside the target and renamed into place.
bool copyFile(const std::string& source, const std::string& target, bool failIfExists);
// Makes `target` name the file `source` names without copying it: a hard link, or where none can
// be made (another file system) a symbolic link to its absolute path. False with errno set.
bool linkFile(const std::string& source, const std::string& target);
bool makeFolder(const std::string& path);   // one level; false when it exists or cannot be made
bool removeFile(const std::string& path);   // a file or a link, never a directory
bool removeFolder(const std::string& path); // an empty folder
bool renameFile(const std::string& from, const std::string& to);
// Renames from to `to` only when nothing holds that name (RENAME_NOREPLACE; on a file system that
// refuses it, a hard link and unlink), so a file another program put there meanwhile is never
// replaced. False with errno set: EEXIST when the name is taken.
bool renameNoReplace(const std::string& from, const std::string& to);
// Copies source to a new file beside `near` (<near>.pwcopy-XXXXXX), keeping its mode and times.
// Returns the copy's path, or "" with errno set.
std::string copyBeside(const std::string& source, const std::string& near);

// A new empty file beside `near` (<near>.pwnew-N), with the mode the umask gives new files.
// Returns its path with `descriptor` open for writing, or "" with errno set.
std::string createBeside(const std::string& near, int& descriptor);
// Gives the file at `path` (the file a link there leads to) these contents: written beside it
// and renamed into place, so a write that fails (a full disk) leaves the old file as it was.
// Only a folder that cannot take a new file has the file written over in place. False with
// errno set.
bool replaceFile(const std::string& path, const std::string& contents);
// Both paths name one existing file (after links).
bool sameFile(const std::string& a, const std::string& b);

struct DirEntry {
    std::string name;
    std::uint32_t attributes = 0;
};

// Enumerates a folder as an NTFS listing comes: "." and ".." first, then the names in order of
// their upper-cased text (readdir alone gives an arbitrary hash order). The names are read when
// the listing opens; each entry's attributes are read by next().
class FolderListing {
public:
    explicit FolderListing(const std::string& folder);
    ~FolderListing();
    FolderListing(const FolderListing&) = delete;
    FolderListing& operator=(const FolderListing&) = delete;

    bool ok() const { return opened_; }
    bool next(DirEntry& entry);

private:
    std::string folder_;
    bool opened_ = false;
    std::vector<std::string> names_; // ".", "..", then the sorted names
    std::size_t nextName_ = 0;
};

// The order of names in a listing: upper-cased text first, then the exact bytes.
bool listingOrder(const std::string& a, const std::string& b);

} // namespace pw::platform
