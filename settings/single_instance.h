#pragma once
// One running copy of the program: an flock on a file in the per-user folder. The kernel gives
// the lock up when its holder ends, so a copy that was killed never keeps the next one away.
#include "platform/file_lock.h"

#include <memory>
#include <string>

namespace pw {

inline constexpr const char* kInstanceLockName = "pagewright.lock";

class SingleInstance {
public:
    // Tries the lock folder/lockName at once; the folder is created (mode 0700) when missing.
    explicit SingleInstance(const std::string& folder,
                            const std::string& lockName = kInstanceLockName);
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // True when this copy holds the lock; false when another copy runs (or the lock file
    // cannot be made), and the program should end at once.
    bool acquired() const { return lock_.locked(); }
    // Gives the lock up before destruction.
    void release() { lock_.unlock(); }

private:
    os::FileLock lock_;
};

// The lock of the program itself, in os::driveCFolder().
std::unique_ptr<SingleInstance> claimProgramInstance();

} // namespace pw
