#pragma once
// One running copy of the program: an flock on a file in the per-user folder. The kernel gives
// the lock up when its holder ends, so a copy that was killed never keeps the next one away.
#include "platform/file_lock.h"

#include <memory>
#include <string>

namespace pw::app {

inline constexpr const char* kInstanceLockName = "pagewright.lock";

class SingleInstance {
public:
    enum class State { Acquired, HeldElsewhere, Failed };

    // Tries the lock folder/lockName at once; the folder is created (mode 0700) when missing.
    explicit SingleInstance(const std::string& folder,
                            const std::string& lockName = kInstanceLockName);
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // True while this copy holds the lock.
    bool acquired() const { return lock_.locked(); }
    // The outcome of the attempt. HeldElsewhere: another copy runs, and this one ends silently.
    // Failed: the folder or the lock file cannot be made; failure() says why.
    State state() const { return state_; }
    const std::string& folder() const { return folder_; }
    const std::string& failure() const { return failure_; }
    // Gives the lock up before destruction.
    void release() { lock_.unlock(); }

private:
    platform::FileLock lock_;
    std::string folder_;
    State state_ = State::Failed;
    std::string failure_;
};

// The lock of the program itself, in platform::driveCFolder().
std::unique_ptr<SingleInstance> claimProgramInstance();

// The message shown when a start fails for any reason but another running copy.
std::string startFailureText(const SingleInstance& instance);

} // namespace pw::app
