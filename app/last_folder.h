#pragma once
// The folder Add and Add Folder start in: the one either used last, kept in the settings file
// so that it lasts across starts.
#include <string>

namespace pw::app {

class LastFolder {
public:
    // Reads the folder from the settings file at settingsPath.
    explicit LastFolder(std::string settingsPath);

    // Where the next dialog starts: the remembered folder while it is a folder; "" (the
    // dialog's own place) when none is remembered or it is gone.
    std::string startFolder() const;
    // Remembers a folder just used; the file is written only when the folder changes. A file
    // that cannot be written is not reported: the folder still counts for this run.
    void remember(const std::string& folder);

private:
    std::string settingsPath_;
    std::string folder_;
};

} // namespace pw::app
