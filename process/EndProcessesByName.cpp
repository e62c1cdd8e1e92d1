#include "process/EndProcessesByName.h"

#include "platform/processes.h"

#include <algorithm>
#include <cctype>
#include <unistd.h>

namespace pw {
namespace {

std::string lowercase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

} // namespace

void EndProcessesByName(const std::string& imageName) {
    const std::string wanted = lowercase(imageName);
    const int self = static_cast<int>(::getpid());
    for (const os::ProcessEntry& entry : os::listProcesses()) {
        if (entry.pid != self && lowercase(entry.imageName) == wanted)
            os::terminateProcess(entry.pid);
    }
}

} // namespace pw
