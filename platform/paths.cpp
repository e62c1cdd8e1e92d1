#include "platform/paths.h"

#include <cstdlib>
#include <mutex>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace pw::platform {
namespace {

std::mutex appFolderMutex;
std::string appFolderOverride;

std::string envOr(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    return (value != nullptr && *value != '\0') ? std::string(value) : fallback;
}

} // namespace

std::string homeFolder() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0')
        return home;
    // getpwuid_r, not getpwuid: staging threads ask for folders under this one.
    passwd entry{};
    passwd* found = nullptr;
    std::vector<char> buffer(16384);
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr && entry.pw_dir != nullptr)
        return entry.pw_dir;
    return "/";
}

std::string driveCFolder() {
    return joinPath(envOr("XDG_CACHE_HOME", joinPath(homeFolder(), ".cache")), "pagewright");
}

std::string stagingFolder() {
    return joinPath(driveCFolder(), "quillon_tmp");
}

std::string jobsFolder() {
    return joinPath(driveCFolder(), "jobs");
}

std::string scratchFolder() {
    return joinPath(driveCFolder(), "tmp");
}

std::string defaultOutputFolder() {
    return joinPath(homeFolder(), "Output");
}

std::string applicationFolder() {
    {
        std::lock_guard<std::mutex> lock(appFolderMutex);
        if (!appFolderOverride.empty())
            return appFolderOverride;
    }
    std::string buffer(4096, '\0');
    const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (length <= 0)
        return ".";
    buffer.resize(static_cast<std::size_t>(length));
    const auto slash = buffer.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? std::string("/") : buffer.substr(0, slash);
}

void setApplicationFolder(const std::string& folder) {
    std::lock_guard<std::mutex> lock(appFolderMutex);
    appFolderOverride = folder;
}

namespace {

// <prefix>/lib/pagewright when the executable is <prefix>/bin/pagewright and it exists.
std::string installedFilesFolder() {
    const std::string app = applicationFolder();
    const auto slash = app.rfind('/');
    if (slash == std::string::npos || app.substr(slash + 1) != "bin")
        return std::string();
    const std::string folder = joinPath(app.substr(0, slash), "lib/pagewright");
    struct stat info {};
    return stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) ? folder : std::string();
}

} // namespace

std::string programFilesFolder() {
    const std::string installed = installedFilesFolder();
    return installed.empty() ? applicationFolder() : installed;
}

bool isInstalledLayout() {
    return !installedFilesFolder().empty();
}

std::string configFolder() {
    return joinPath(envOr("XDG_CONFIG_HOME", joinPath(homeFolder(), ".config")), "pagewright");
}

bool canWriteIn(const std::string& folder) {
    return access(folder.c_str(), W_OK | X_OK) == 0;
}

char separator() {
    return '/';
}

std::string joinPath(const std::string& a, const std::string& b) {
    if (a.empty())
        return b;
    if (a.back() == separator())
        return a + b;
    return a + separator() + b;
}

} // namespace pw::platform
