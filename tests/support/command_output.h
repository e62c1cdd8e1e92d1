#pragma once
// What a shell command prints on its standard output.
#include <cstdio>
#include <string>

namespace pw::test {

inline std::string commandOutput(const std::string& command) {
    std::string text;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return text;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
        text += buffer;
    pclose(pipe);
    return text;
}

} // namespace pw::test
