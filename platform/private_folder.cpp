#include "platform/private_folder.h"

#include <cerrno>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace pw::platform {
namespace {

constexpr mode_t kPrivate = S_IRWXU;

bool isPrivateFolder(const struct stat& info) {
    return S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() &&
           (info.st_mode & 07777) == kPrivate;
}

// Makes one folder with mode 0700 whatever the umask; false when it cannot be made.
bool makeOnePrivate(const std::string& path) {
    if (::mkdir(path.c_str(), kPrivate) != 0)
        return false;
    return ::chmod(path.c_str(), kPrivate) == 0;
}

} // namespace

bool makePrivateFolders(const std::string& path) {
    if (path.empty())
        return false;
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode))
            return true;
        errno = ENOTDIR;
        return false;
    }
    const std::string parent = std::filesystem::path(path).parent_path().string();
    if (!parent.empty() && parent != path && !makePrivateFolders(parent))
        return false;
    return makeOnePrivate(path) ||
           (errno == EEXIST && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode));
}

bool resetPrivateFolder(const std::string& path) {
    if (path.empty())
        return false;
    std::error_code error;
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0) {
        if (!isPrivateFolder(info)) {
            // remove_all never follows symbolic links: a link goes, its target stays.
            std::filesystem::remove_all(path, error);
            if (error)
                return false;
        } else {
            std::vector<std::filesystem::path> entries;
            for (std::filesystem::directory_iterator it(path, error), end; !error && it != end;
                 it.increment(error))
                entries.push_back(it->path());
            for (const auto& entry : entries) {
                if (!error)
                    std::filesystem::remove_all(entry, error);
            }
            return !error;
        }
    } else if (errno != ENOENT) {
        return false;
    }
    return makeOnePrivate(path);
}

bool keepPrivateFolder(const std::string& path) {
    if (path.empty())
        return false;
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0) {
        if (isPrivateFolder(info))
            return true;
        std::error_code error;
        std::filesystem::remove_all(path, error); // a link goes, its target stays
        if (error) {
            errno = error.value();
            return false;
        }
    } else if (errno != ENOENT) {
        return false;
    } else {
        const std::string parent = std::filesystem::path(path).parent_path().string();
        if (!parent.empty() && parent != path && !makePrivateFolders(parent))
            return false;
    }
    if (makeOnePrivate(path))
        return true;
    // Made meanwhile by another job.
    return errno == EEXIST && ::lstat(path.c_str(), &info) == 0 && isPrivateFolder(info);
}

} // namespace pw::platform
