#include "app/last_folder.h"

#include "app/settings_file.h"

#include <filesystem>
#include <system_error>
#include <utility>

namespace pw::app {

LastFolder::LastFolder(std::string settingsPath)
    : settingsPath_(std::move(settingsPath)), folder_(loadSettingsFrom(settingsPath_).lastFolder) {}

std::string LastFolder::startFolder() const {
    std::error_code error;
    if (folder_.empty() || !std::filesystem::is_directory(folder_, error))
        return {};
    return folder_;
}

void LastFolder::remember(const std::string& folder) {
    if (folder.empty() || folder == folder_)
        return;
    folder_ = folder;
    writeLastFolder(settingsPath_, folder_);
}

} // namespace pw::app
