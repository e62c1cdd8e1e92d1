#include "platform/file_lock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace pw::platform {

FileLock::~FileLock() {
    unlock();
}

bool FileLock::tryLock(const std::string& path) {
    unlock();
    // Close-on-exec: a started builder must not keep the lock alive after the program ends.
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        error_ = errno;
        return false;
    }
    int result = 0;
    do
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    while (result != 0 && errno == EINTR);
    if (result != 0) {
        error_ = errno;
        ::close(fd);
        return false;
    }
    fd_ = fd;
    error_ = 0;
    return true;
}

void FileLock::unlock() {
    if (fd_ < 0)
        return;
    ::close(fd_); // closing the only descriptor releases the lock
    fd_ = -1;
}

} // namespace pw::platform
