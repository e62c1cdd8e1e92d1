#pragma once
// Deletes a folder with everything in it.

#include <string>

namespace pw::platform {

// Failures are ignored: what cannot be removed stays (and so do the folders holding it).
// A symbolic link is removed as a link; its target is never touched. A missing folder is a
// no-op.
void removeFolderTree(const std::string& folder);

} // namespace pw::platform
