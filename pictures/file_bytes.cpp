#include "pictures/file_bytes.h"

#include <cstdio>

namespace pw::pictures {

std::optional<std::vector<std::uint8_t>> readFileBytes(const std::string& narrowPath) {
    std::FILE* file = std::fopen(narrowPath.c_str(), "rb");
    if (file == nullptr)
        return std::nullopt;
    std::vector<std::uint8_t> bytes;
    std::uint8_t chunk[1 << 16];
    bool ok = true;
    for (;;) {
        const std::size_t got = std::fread(chunk, 1, sizeof chunk, file);
        bytes.insert(bytes.end(), chunk, chunk + got);
        if (got < sizeof chunk) {
            ok = std::ferror(file) == 0;
            break;
        }
    }
    if (std::fclose(file) != 0 || !ok)
        return std::nullopt;
    return bytes;
}

} // namespace pw::pictures
