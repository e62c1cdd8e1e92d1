#pragma once
// One listed picture as a job takes it: described once, then handed down to staging, which
// neither converts its path again nor looks at its first bytes for its kind.
#include "pictures/picture_kinds.h"

#include <string>

namespace pw::pictures {

struct PictureFile {
    std::string path;                  // as listed (UTF-8)
    std::string narrowPath;            // as the system takes it (platform::toNarrow)
    const PictureKind* kind = nullptr; // what its first bytes show; null for none
    bool deviceOrPipe = false;         // not read at all: reading could block for ever
    // True when its first bytes show `other`.
    bool shows(const PictureKind* other) const { return other != nullptr && kind == other; }
};

// The path converted and the file's first bytes read, once (not those of a device or pipe).
PictureFile describePicture(const std::string& path);

} // namespace pw::pictures
