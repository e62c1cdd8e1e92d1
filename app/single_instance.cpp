#include "app/single_instance.h"

#include "platform/paths.h"
#include "platform/private_folder.h"

#include <cerrno>
#include <system_error>

namespace pw::app {
namespace {

std::string reason(int error) {
    return std::generic_category().message(error);
}

} // namespace

SingleInstance::SingleInstance(const std::string& folder, const std::string& lockName)
    : folder_(folder) {
    errno = 0;
    if (!platform::makePrivateFolders(folder)) {
        failure_ = reason(errno != 0 ? errno : ENOTDIR);
        return;
    }
    if (lock_.tryLock(platform::joinPath(folder, lockName))) {
        state_ = State::Acquired;
        return;
    }
    const int error = lock_.error();
    if (error == EWOULDBLOCK || error == EAGAIN)
        state_ = State::HeldElsewhere;
    else
        failure_ = "the lock file " + lockName + " cannot be used: " + reason(error);
}

std::unique_ptr<SingleInstance> claimProgramInstance() {
    return std::make_unique<SingleInstance>(platform::driveCFolder());
}

std::string startFailureText(const SingleInstance& instance) {
    return "Pagewright cannot start: its folder " + instance.folder() + " cannot be used (" +
           instance.failure() + ").";
}

} // namespace pw::app
