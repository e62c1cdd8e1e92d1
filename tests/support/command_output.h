#pragma once
// What a shell command prints on its standard output, and what qpdf says of a PDF.
#include <cstdio>
#include <cstdlib>
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

// The page count of a PDF as qpdf reads it; 0 when it cannot.
inline int pageCount(const std::string& pdf) {
    return std::atoi(commandOutput("qpdf --show-npages '" + pdf + "' 2>/dev/null").c_str());
}

} // namespace pw::test
