#include "process/EndProcessesOfExecutable.h"

#include "platform/processes.h"

namespace pw {

void EndProcessesOfExecutable(const std::string& path) {
    for (const int pid : os::processesRunningExecutable(path))
        os::terminateProcess(pid);
}

void EndProcessesOfExecutable(const std::string& path, const std::string& folder) {
    for (const int pid : os::processesRunningExecutable(path)) {
        if (os::processWorksIn(pid, folder))
            os::terminateProcess(pid);
    }
}

} // namespace pw
