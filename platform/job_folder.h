#pragma once
// The private staging folder of one job: <parent>/job-XXXXXXXX (mode 0700) with a lock file in
// it that the job holds (flock) while it runs. The kernel gives the lock up when the job ends,
// however it ends, so a folder whose lock can be taken was left by a job that is gone.
#include <string>

namespace pw::platform {

inline constexpr const char* kJobLockName = "job.lock";

class JobFolder {
public:
    JobFolder() = default;
    ~JobFolder();
    JobFolder(const JobFolder&) = delete;
    JobFolder& operator=(const JobFolder&) = delete;

    // Makes a new folder in parent and takes its lock. parent is made when missing; anything
    // but a private folder of this user found there is replaced, never followed (see
    // keepPrivateFolder). False with errno set.
    bool create(const std::string& parent);
    // Takes the lock of an existing job folder when its job is gone: the lock is free, or there
    // is no lock file and the folder is more than a minute old (its job ended while making it).
    // False while its job runs.
    bool claimLeftover(const std::string& folder);
    // Gives the lock up; the folder stays.
    void release();

    const std::string& path() const { return path_; }

private:
    int lockFd_ = -1;
    std::string path_;
};

} // namespace pw::platform
