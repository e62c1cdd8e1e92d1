#include "app/narrow_files.h"

#include "app/picture_names.h"
#include "platform/files.h"
#include "platform/narrow.h"
#include "platform/paths.h"

namespace pw::app {

bool NarrowFileExists(const std::string& path) {
    const std::string narrow = platform::toNarrow(path);
    if (narrow != path)
        return false;
    return platform::patternExists(narrow);
}

namespace {

// Makes a folder and whatever is missing above it; true when it exists afterwards.
bool makeFolders(const std::string& path) {
    if (path.empty() || platform::isDirectory(path))
        return !path.empty();
    const auto slash = path.find_last_of('/');
    if (slash != std::string::npos && slash > 0 && !makeFolders(path.substr(0, slash)))
        return false;
    // Another process may make it at the same moment, so the test below is the answer.
    platform::makeFolder(path);
    return platform::isDirectory(path);
}

} // namespace

bool ensureScratchFolder() {
    return makeFolders(platform::scratchFolder());
}

std::optional<std::string> freeScratchPath(const std::string& nameForExtension) {
    const std::string folder = platform::scratchFolder();
    const std::string extension = lastCharacters(nameForExtension, 3);
    for (int n = 1; n <= 99999; ++n) {
        const std::string candidate =
            platform::joinPath(folder, std::to_string(n) + "." + extension);
        if (!NarrowFileExists(candidate) && !platform::pathExists(candidate))
            return candidate;
    }
    return std::nullopt;
}

std::optional<std::string> makeScratchCopy(const std::string& source,
                                           const std::string& nameForExtension) {
    std::optional<std::string> target = freeScratchPath(nameForExtension);
    if (target)
        platform::copyFile(source, *target, false); // a failed copy still yields the entry
    return target;
}

} // namespace pw::app
