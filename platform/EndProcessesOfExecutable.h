#pragma once
#include <string>

namespace pw::platform {

// Ends every process of this user (never this one) that runs the executable file at path.
// Processes of other users, and other programs with the same file name, are left alone.
void EndProcessesOfExecutable(const std::string& path);

// The same, only for the processes working in folder: the strays of one staging folder, while
// the builders of other jobs (working in folders of their own) go on.
void EndProcessesOfExecutable(const std::string& path, const std::string& folder);

} // namespace pw::platform
