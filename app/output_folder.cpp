#include "app/output_folder.h"

#include "app/settings_file.h"
#include "platform/narrow.h"
#include "platform/paths.h"

#include <filesystem>
#include <system_error>

namespace pw::app {

bool folderExists(const std::string& path) {
    if (path.empty())
        return false;
    std::error_code error;
    return std::filesystem::is_directory(platform::toNarrow(path), error);
}

std::string unknownCharactersMessage() {
    return "The path has unknown characters.\r\nChanged to the default path " +
           platform::defaultOutputFolder() + ".";
}

std::string browseOutputFolder(platform::Prompts& prompts) {
    std::string chosen;
    std::string folder;
    if (prompts.browseFolder(kBrowsePrompt, chosen))
        folder = chosen.substr(0, chosen.find('\0'));
    if (folder.empty())
        folder = platform::joinPath(platform::applicationFolder(), "output");
    if (folderExists(folder))
        return folder;
    prompts.messageBox(unknownCharactersMessage(), "Path", platform::Buttons::Ok,
                       platform::Icon::None);
    return platform::defaultOutputFolder();
}

namespace {

// The settings file's folder exists beside the program; the per-user one may not yet.
std::string preparedSettingsPath() {
    const std::string path = settingsFilePath();
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
    return path;
}

} // namespace

bool saveSettings(const std::string& outputFolder, int modeIndex, bool* written) {
    const bool ok = writeSettingsFile(preparedSettingsPath(), outputFolder, modeIndex);
    if (written != nullptr)
        *written = ok;
    return onePdfPerPicture(modeIndex);
}

bool saveSettings(const std::string& outputFolder, int modeIndex,
                  const jobfiles::JobOptions& options, bool* written) {
    const std::string path = preparedSettingsPath();
    StoredSettings settings = loadSettingsFrom(path); // keeps lines of other keys
    settings.outputFolder = outputFolder;
    settings.modeIndex = modeIndex;
    settings.options = options;
    const bool ok = writeSettingsFile(path, settings);
    if (written != nullptr)
        *written = ok;
    return onePdfPerPicture(modeIndex);
}

} // namespace pw::app
