#pragma once
// One listed picture as a job takes it: its path converted and the file opened once, then
// handed down to staging, whose readers all read that one opened file; staging neither converts
// its path again nor looks at its first bytes for its kind.
#include "pictures/picture_kinds.h"
#include "platform/opened_file.h"

#include <string>

namespace pw::pictures {

struct PictureFile {
    std::string path;                  // as listed (UTF-8)
    std::string narrowPath;            // as the system takes it (platform::toNarrow)
    const PictureKind* kind = nullptr; // what its first bytes show; null for none
    bool deviceOrPipe = false;         // not read at all: reading could block for ever
    platform::OpenedFile file;         // open to read (not for a device or pipe)
    // True when its first bytes show `other`.
    bool shows(const PictureKind* other) const { return other != nullptr && kind == other; }
};

// The path converted and the file opened and its first bytes read, once (not those of a device
// or pipe).
PictureFile describePicture(const std::string& path);
// The same for a path already in the narrow encoding (converted by the caller).
PictureFile describeNarrowPicture(const std::string& narrowPath);

} // namespace pw::pictures
