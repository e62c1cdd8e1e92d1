#include "platform/job_folder.h"

#include "platform/paths.h"
#include "platform/private_folder.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pw::platform {
namespace {

constexpr const char* kNewLockName = "job.lock.new";
constexpr auto kUnlockedGrace = std::chrono::minutes(1);
constexpr int kNameAttempts = 100;

// "job-" and eight random letters and digits.
std::string randomName() {
    static constexpr char kLetters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    unsigned char bytes[8] = {};
    if (::getrandom(bytes, sizeof bytes, 0) != static_cast<ssize_t>(sizeof bytes)) {
        // No random bytes: the clock and the pid still differ between attempts and jobs.
        auto mix = static_cast<unsigned long long>(
                       std::chrono::steady_clock::now().time_since_epoch().count()) ^
                   (static_cast<unsigned long long>(::getpid()) << 32);
        for (unsigned char& byte : bytes) {
            byte = static_cast<unsigned char>(mix);
            mix = mix * 6364136223846793005ULL + 1442695040888963407ULL;
        }
    }
    std::string name = "job-";
    for (const unsigned char byte : bytes)
        name += kLetters[byte % (sizeof kLetters - 1)];
    return name;
}

bool lockNow(int fd) {
    int result = 0;
    do
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    while (result != 0 && errno == EINTR);
    return result == 0;
}

void closeKeepingErrno(int fd) {
    const int error = errno;
    ::close(fd);
    errno = error;
}

} // namespace

JobFolder::~JobFolder() {
    release();
}

void JobFolder::release() {
    if (lockFd_ >= 0)
        ::close(lockFd_);
    lockFd_ = -1;
}

bool JobFolder::create(const std::string& parent) {
    release();
    path_.clear();
    if (!keepPrivateFolder(parent))
        return false;
    const int parentFd = ::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (parentFd < 0)
        return false;
    std::string name;
    for (int attempt = 0; attempt < kNameAttempts && name.empty(); ++attempt) {
        name = randomName();
        if (::mkdirat(parentFd, name.c_str(), S_IRWXU) != 0) {
            name.clear();
            if (errno != EEXIST)
                break;
        }
    }
    if (name.empty()) {
        closeKeepingErrno(parentFd);
        return false;
    }
    // The lock is taken under another name and renamed into place, so a sweep never finds the
    // lock file free while the job is still setting it up.
    const int folderFd =
        ::openat(parentFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    int lockFd = -1;
    bool ok = folderFd >= 0 && ::fchmod(folderFd, S_IRWXU) == 0;
    if (ok) {
        lockFd = ::openat(folderFd, kNewLockName,
                          O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, S_IRUSR | S_IWUSR);
        ok = lockFd >= 0 && lockNow(lockFd) &&
             ::renameat(folderFd, kNewLockName, folderFd, kJobLockName) == 0;
    }
    const int error = errno;
    if (!ok) {
        if (lockFd >= 0)
            ::close(lockFd);
        if (folderFd >= 0)
            ::unlinkat(folderFd, kNewLockName, 0);
        ::unlinkat(parentFd, name.c_str(), AT_REMOVEDIR);
    }
    if (folderFd >= 0)
        ::close(folderFd);
    ::close(parentFd);
    errno = error;
    if (!ok)
        return false;
    lockFd_ = lockFd;
    path_ = joinPath(parent, name);
    return true;
}

bool JobFolder::claimLeftover(const std::string& folder) {
    release();
    path_ = folder;
    const std::string lock = joinPath(folder, kJobLockName);
    const int fd = ::open(lock.c_str(), O_RDWR | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC);
    if (fd >= 0) {
        if (!lockNow(fd)) {
            closeKeepingErrno(fd);
            return false;
        }
        lockFd_ = fd;
        return true;
    }
    struct stat info {};
    if (errno != ENOENT || ::lstat(folder.c_str(), &info) != 0)
        return false;
    const auto changed = std::chrono::system_clock::time_point(
        std::chrono::duration_cast<std::chrono::system_clock::duration>(
            std::chrono::seconds(info.st_mtim.tv_sec) +
            std::chrono::nanoseconds(info.st_mtim.tv_nsec)));
    return std::chrono::system_clock::now() - changed > kUnlockedGrace;
}

} // namespace pw::platform
