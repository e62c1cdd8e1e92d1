#pragma once
// One running copy of the program: a lock file in the per-user folder. A lock left by a copy
// that crashed is recovered (its process no longer runs).
#include <memory>
#include <string>

class QLockFile;

namespace pw {

inline constexpr const char* kInstanceLockName = "pagewright.lock";

class SingleInstance {
public:
    // Tries the lock folder/lockName at once; the folder is created when missing.
    explicit SingleInstance(const std::string& folder,
                            const std::string& lockName = kInstanceLockName);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // True when this copy holds the lock; false when another copy runs (or the lock file
    // cannot be made), and the program should end at once.
    bool acquired() const { return acquired_; }
    // Gives the lock up before destruction.
    void release();

private:
    std::unique_ptr<QLockFile> lock_;
    bool acquired_ = false;
};

// The lock of the program itself, in os::driveCFolder().
std::unique_ptr<SingleInstance> claimProgramInstance();

} // namespace pw
