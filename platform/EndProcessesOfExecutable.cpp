#include "platform/EndProcessesOfExecutable.h"

#include "platform/processes.h"

namespace pw::platform {

void EndProcessesOfExecutable(const std::string& path) {
    for (const int pid : processesRunningExecutable(path))
        terminateProcess(pid);
}

void EndProcessesOfExecutable(const std::string& path, const std::string& folder) {
    for (const int pid : processesRunningExecutable(path)) {
        if (processWorksIn(pid, folder))
            terminateProcess(pid);
    }
}

} // namespace pw::platform
