#pragma once
#include <string>

namespace pw {

// Ends every process of this user (never this one) that runs the executable file at path.
// Processes of other users, and other programs with the same file name, are left alone.
void EndProcessesOfExecutable(const std::string& path);

} // namespace pw
