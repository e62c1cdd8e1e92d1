#pragma once
#include <string>

namespace pw {

// Ends every running process whose image name equals imageName (whole name, any letter case).
void EndProcessesByName(const std::string& imageName);

} // namespace pw
