#include "platform/files.h"

#include "platform/paths.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pw::platform {
namespace {

std::string lastComponent(const std::string& path) {
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/')
        trimmed.pop_back();
    const auto slash = trimmed.rfind('/');
    return slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
}

bool isDotName(const std::string& name) {
    return name == "." || name == "..";
}

std::uint32_t attributesOf(const struct stat& info, const std::string& name) {
    std::uint32_t bits = 0;
    if (S_ISLNK(info.st_mode))
        bits |= AttrReparsePoint;
    else if (S_ISDIR(info.st_mode))
        bits |= AttrDirectory;
    else if (S_ISREG(info.st_mode))
        bits |= AttrArchive;
    else
        bits |= AttrSystem;
    // Folders have no read-only attribute: a folder without write permission (an archive, a
    // camera card) still holds pictures to search.
    if (!S_ISLNK(info.st_mode) && !S_ISDIR(info.st_mode) && (info.st_mode & S_IWUSR) == 0)
        bits |= AttrReadOnly;
    if (!name.empty() && name.front() == '.' && !isDotName(name))
        bits |= AttrHidden;
    return bits;
}

bool hasWildcard(const std::string& name) {
    return name.find_first_of("*?") != std::string::npos;
}

bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool copyContents(int from, int to) {
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(from, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (got == 0)
            return true;
        if (!writeAll(to, buffer, static_cast<std::size_t>(got)))
            return false;
    }
}

// Moves the finished temporary copy into place; with failIfExists an existing target wins.
bool publish(const std::string& temporary, const std::string& target, bool failIfExists) {
    if (!failIfExists)
        return ::rename(temporary.c_str(), target.c_str()) == 0;
    if (::link(temporary.c_str(), target.c_str()) == 0) {
        ::unlink(temporary.c_str());
        return true;
    }
    if (errno == EEXIST)
        return false;
    // A file system without hard links: check, then rename.
    struct stat info {};
    if (::lstat(target.c_str(), &info) == 0)
        return false;
    return ::rename(temporary.c_str(), target.c_str()) == 0;
}

} // namespace

std::int64_t attributes(const std::string& path) {
    struct stat info {};
    if (path.empty() || ::lstat(path.c_str(), &info) != 0)
        return -1;
    return attributesOf(info, lastComponent(path));
}

bool setNormalAttributes(const std::string& path) {
    struct stat info {};
    if (path.empty() || ::lstat(path.c_str(), &info) != 0)
        return false;
    if (S_ISLNK(info.st_mode))
        return true; // a link has no permissions of its own
    if ((info.st_mode & S_IWUSR) != 0)
        return true;
    return ::chmod(path.c_str(), (info.st_mode & 07777) | S_IWUSR) == 0;
}

bool pathExists(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::lstat(path.c_str(), &info) == 0;
}

bool isDirectory(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool isDeviceOrPipe(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode) &&
           !S_ISDIR(info.st_mode);
}

bool fileExists(const std::string& path) {
    struct stat info {};
    if (path.empty() || ::lstat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode))
        return false;
    if (!S_ISLNK(info.st_mode))
        return true;
    // A link counts when it leads to something that is not a directory.
    struct stat target {};
    return ::stat(path.c_str(), &target) == 0 && !S_ISDIR(target.st_mode);
}

bool patternExists(const std::string& pattern) {
    if (pattern.empty())
        return false;
    const auto slash = pattern.rfind('/');
    const std::string name = slash == std::string::npos ? pattern : pattern.substr(slash + 1);
    if (!hasWildcard(name))
        return pathExists(pattern);
    std::string folder = slash == std::string::npos ? std::string(".") : pattern.substr(0, slash);
    if (folder.empty())
        folder.assign(1, '/');
    FolderListing listing(folder);
    DirEntry entry;
    while (listing.next(entry)) {
        if (::fnmatch(name.c_str(), entry.name.c_str(), 0) == 0)
            return true;
    }
    return false;
}

std::string copyBeside(const std::string& source, const std::string& near) {
    if (source.empty() || near.empty()) {
        errno = ENOENT;
        return "";
    }
    const int from = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (from < 0)
        return "";
    struct stat info {};
    const bool examined = ::fstat(from, &info) == 0;
    if (!examined || !S_ISREG(info.st_mode)) {
        const int error = !examined ? errno : S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        ::close(from);
        errno = error;
        return "";
    }
    std::string temporary = near + ".pwcopy-XXXXXX";
    const int to = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (to < 0) {
        const int error = errno;
        ::close(from);
        errno = error;
        return "";
    }
    bool ok = copyContents(from, to);
    int error = ok ? 0 : errno;
    if (::fchmod(to, info.st_mode & 0777) != 0 && ok) {
        ok = false;
        error = errno;
    }
    const struct timespec times[2] = {info.st_atim, info.st_mtim};
    if (::futimens(to, times) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (::close(to) != 0 && ok) {
        ok = false;
        error = errno;
    }
    ::close(from);
    if (ok)
        return temporary;
    ::unlink(temporary.c_str());
    errno = error;
    return "";
}

bool linkFile(const std::string& source, const std::string& target) {
    if (::link(source.c_str(), target.c_str()) == 0)
        return true;
    char* absolute = ::realpath(source.c_str(), nullptr);
    if (absolute == nullptr)
        return false;
    const bool linked = ::symlink(absolute, target.c_str()) == 0;
    std::free(absolute);
    return linked;
}

bool copyFile(const std::string& source, const std::string& target, bool failIfExists) {
    if (source.empty() || target.empty())
        return false;
    struct stat existing {};
    if (failIfExists && ::lstat(target.c_str(), &existing) == 0)
        return false;
    const std::string temporary = copyBeside(source, target);
    if (temporary.empty())
        return false;
    const bool ok = publish(temporary, target, failIfExists);
    if (!ok) {
        const int error = errno;
        ::unlink(temporary.c_str());
        errno = error;
    }
    return ok;
}

std::string createBeside(const std::string& near, int& descriptor) {
    descriptor = -1;
    if (near.empty()) {
        errno = ENOENT;
        return "";
    }
    // Not mkstemp: its files are private (0600) whatever the umask says.
    static std::atomic<unsigned> counter{0};
    const std::string stem = near + ".pwnew-" + std::to_string(::getpid()) + "-";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string path = stem + std::to_string(counter++);
        descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor >= 0)
            return path;
        if (errno != EEXIST)
            return "";
    }
    return "";
}

bool replaceFile(const std::string& path, const std::string& contents) {
    std::string target = path;
    if (char* real = ::realpath(path.c_str(), nullptr)) {
        target = real;
        std::free(real);
    }
    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && ::access(target.c_str(), W_OK) != 0)
        return false; // a read-only file stays so
    int descriptor = -1;
    std::string temporary = createBeside(target, descriptor);
    const bool inPlace = temporary.empty() && (errno == EACCES || errno == EPERM || errno == EROFS);
    if (inPlace) // written over: a failed write loses the old contents, but nothing else can
        descriptor = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (descriptor < 0)
        return false;
    bool ok = writeAll(descriptor, contents.data(), contents.size());
    int error = ok ? 0 : errno;
    if (ok && !inPlace && exists && ::fchmod(descriptor, existing.st_mode & 07777) != 0) {
        ok = false;
        error = errno;
    }
    if (ok && ::fsync(descriptor) != 0) {
        ok = false;
        error = errno;
    }
    if (::close(descriptor) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && !inPlace && ::rename(temporary.c_str(), target.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok && !inPlace)
        ::unlink(temporary.c_str());
    errno = error;
    return ok;
}

bool sameFile(const std::string& a, const std::string& b) {
    struct stat first {};
    struct stat second {};
    return !a.empty() && !b.empty() && ::stat(a.c_str(), &first) == 0 &&
           ::stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

bool makeFolder(const std::string& path) {
    return !path.empty() && ::mkdir(path.c_str(), 0777) == 0;
}

bool removeFile(const std::string& path) {
    struct stat info {};
    if (path.empty() || ::lstat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode))
        return false;
    return ::unlink(path.c_str()) == 0;
}

bool removeFolder(const std::string& path) {
    return !path.empty() && ::rmdir(path.c_str()) == 0;
}

bool renameFile(const std::string& from, const std::string& to) {
    return !from.empty() && !to.empty() && ::rename(from.c_str(), to.c_str()) == 0;
}

bool renameNoReplace(const std::string& from, const std::string& to) {
    if (from.empty() || to.empty()) {
        errno = ENOENT;
        return false;
    }
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // The file system cannot refuse to replace in a rename; a hard link can.
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return true;
    }
    if (errno != EPERM && errno != EOPNOTSUPP)
        return false;
    // Nor hard links: check, then rename.
    struct stat info {};
    if (::lstat(to.c_str(), &info) == 0) {
        errno = EEXIST;
        return false;
    }
    return ::rename(from.c_str(), to.c_str()) == 0;
}

bool listingOrder(const std::string& a, const std::string& b) {
    const auto upper = [](unsigned char c) {
        return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 'a' + 'A') : c;
    };
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const unsigned char x = upper(static_cast<unsigned char>(a[i]));
        const unsigned char y = upper(static_cast<unsigned char>(b[i]));
        if (x != y)
            return x < y;
    }
    if (a.size() != b.size())
        return a.size() < b.size();
    return a < b;
}

FolderListing::FolderListing(const std::string& folder) : folder_(folder) {
    DIR* dir = folder.empty() ? nullptr : ::opendir(folder.c_str());
    if (dir == nullptr)
        return;
    opened_ = true;
    names_ = {".", ".."};
    while (const dirent* item = ::readdir(dir)) {
        const std::string name = item->d_name;
        if (!isDotName(name))
            names_.push_back(name);
    }
    ::closedir(dir);
    std::sort(names_.begin() + 2, names_.end(), listingOrder);
}

FolderListing::~FolderListing() = default;

bool FolderListing::next(DirEntry& entry) {
    while (nextName_ < names_.size()) {
        const std::string& name = names_[nextName_++];
        const std::string path = joinPath(folder_, name);
        struct stat info {};
        // "." and ".." describe the folders themselves; other entries are never followed.
        const int result =
            isDotName(name) ? ::stat(path.c_str(), &info) : ::lstat(path.c_str(), &info);
        if (result != 0)
            continue; // removed since the folder was read
        entry.name = name;
        entry.attributes = attributesOf(info, name);
        return true;
    }
    return false;
}

} // namespace pw::platform
