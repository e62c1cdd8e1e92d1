#pragma once
// An exclusive lock on a file (flock) that the kernel gives up when its holder ends, however it
// ends, so a killed holder never leaves a lock behind.
#include <string>

namespace pw::platform {

class FileLock {
public:
    FileLock() = default;
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Creates the file when missing and tries the lock without waiting. False when another
    // holder has it or the file cannot be opened.
    bool tryLock(const std::string& path);
    void unlock();
    bool locked() const { return fd_ >= 0; }
    // The errno of the last tryLock that failed (EWOULDBLOCK: another holder has it).
    int error() const { return error_; }

private:
    int fd_ = -1;
    int error_ = 0;
};

} // namespace pw::platform
