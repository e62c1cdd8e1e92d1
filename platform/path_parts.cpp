#include "platform/path_parts.h"

#include "platform/paths.h"

namespace pw::platform {
namespace {

std::string fileNameOf(const std::string& path) {
    const auto slash = path.rfind(separator());
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

std::string pathPart(const std::string& path, int selector) {
    switch (selector) {
    case 0: {
        const auto dot = path.rfind('.');
        return dot == std::string::npos ? path : path.substr(dot + 1);
    }
    case 1:
        return fileNameOf(path);
    case 2:
        return textBefore(fileNameOf(path), '.');
    case 3: {
        const auto slash = path.rfind(separator());
        return slash == std::string::npos ? std::string() : path.substr(0, slash);
    }
    default:
        return std::string();
    }
}

std::string fileBaseName(const std::string& path) {
    const std::string name = fileNameOf(path);
    const auto dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(0, dot);
}

std::string textBefore(const std::string& text, char delimiter) {
    const auto at = text.find(delimiter);
    return at == std::string::npos ? text : text.substr(0, at);
}

} // namespace pw::platform
