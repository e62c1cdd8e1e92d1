#include "settings/single_instance.h"

#include "platform/paths.h"
#include "platform/private_folder.h"

namespace pw {

SingleInstance::SingleInstance(const std::string& folder, const std::string& lockName) {
    if (os::makePrivateFolders(folder))
        lock_.tryLock(os::joinPath(folder, lockName));
}

std::unique_ptr<SingleInstance> claimProgramInstance() {
    return std::make_unique<SingleInstance>(os::driveCFolder());
}

} // namespace pw
