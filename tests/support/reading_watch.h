#pragma once
// Watching a running job from outside: whether a decoder is part of the way through a picture
// file, and which processes this one has started and not reaped; and a picture that takes
// seconds to decode.
#include <algorithm>
#include <cstdint>
#include <dirent.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace pw::test {

// True when this process holds `path` open at a position past its first and before its last
// tenth: a decoder reading it piece by piece is under way. (A header read or a file read whole
// in one go is not seen.)
inline bool ReadingPartWay(const std::string& path) {
    std::error_code error;
    const std::string target = std::filesystem::canonical(path, error).string();
    const auto size = std::filesystem::file_size(path, error);
    if (error || size == 0)
        return false;
    DIR* fds = ::opendir("/proc/self/fd");
    if (fds == nullptr)
        return false;
    bool partWay = false;
    while (const dirent* entry = ::readdir(fds)) {
        const std::string name = entry->d_name;
        char link[4096];
        const ssize_t length = ::readlink(("/proc/self/fd/" + name).c_str(), link, sizeof link - 1);
        if (length <= 0 || std::string(link, static_cast<std::size_t>(length)) != target)
            continue;
        std::ifstream info("/proc/self/fdinfo/" + name);
        std::string key;
        unsigned long long position = 0;
        if (info >> key >> position && key == "pos:" && position > size / 10 &&
            position < size - size / 10)
            partWay = true;
    }
    ::closedir(fds);
    return partWay;
}

// Writes an uncompressed RGB TIFF of width x height pixels in strips of 16 rows, stored turned
// half round (orientation 3), so that it is read strip by strip and turned pixel by pixel. No
// codec is needed to write it: the header, the pixels, then one directory.
inline bool WriteLargeTiff(const std::string& path, std::uint32_t width, std::uint32_t height) {
    constexpr std::uint32_t kRows = 16;
    const std::uint64_t rowBytes = std::uint64_t{width} * 3;
    const std::uint32_t strips = (height + kRows - 1) / kRows;
    const std::uint64_t dataEnd = 8 + rowBytes * height;
    if (dataEnd + 4096 + 8ull * strips > 0xFFFFFFFFull)
        return false;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    const auto put = [&out](std::uint64_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out.put(static_cast<char>(value >> (8 * i) & 0xFF));
    };
    out.write("II*\0", 4);
    put(dataEnd, 4); // the directory follows the pixels
    std::string row(static_cast<std::size_t>(rowBytes), '\0');
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            row[3 * x] = static_cast<char>(x * 7 + y);
            row[3 * x + 1] = static_cast<char>(y * 3);
            row[3 * x + 2] = static_cast<char>((x ^ y) & 0xF0);
        }
        out.write(row.data(), static_cast<std::streamsize>(row.size()));
    }
    constexpr int kEntries = 11;
    const std::uint64_t after = dataEnd + 2 + 12 * kEntries + 4; // bits, offsets, counts
    const auto entry = [&](int tag, int type, std::uint64_t count, std::uint64_t value) {
        put(tag, 2);
        put(type, 2);
        put(count, 4);
        put(value, 4);
    };
    put(kEntries, 2);
    entry(256, 4, 1, width);
    entry(257, 4, 1, height);
    entry(258, 3, 3, after); // BitsPerSample 8, 8, 8
    entry(259, 3, 1, 1);     // no compression
    entry(262, 3, 1, 2);     // RGB
    entry(273, 4, strips, after + 8);
    entry(274, 3, 1, 3); // turned half round
    entry(277, 3, 1, 3); // samples per pixel
    entry(278, 4, 1, kRows);
    entry(279, 4, strips, after + 8 + 4ull * strips);
    entry(284, 3, 1, 1); // contiguous samples
    put(0, 4);
    put(0x00080008, 4);
    put(0x0008, 2);
    put(0, 2);
    for (std::uint32_t s = 0; s < strips; ++s)
        put(8 + rowBytes * kRows * s, 4);
    for (std::uint32_t s = 0; s < strips; ++s)
        put(rowBytes * std::min(kRows, height - kRows * s), 4);
    return static_cast<bool>(out.flush());
}

// The processes whose parent is this process.
inline std::vector<int> ChildProcesses() {
    std::vector<int> children;
    DIR* proc = ::opendir("/proc");
    if (proc == nullptr)
        return children;
    while (const dirent* entry = ::readdir(proc)) {
        const std::string name = entry->d_name;
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::ifstream stat("/proc/" + name + "/stat");
        std::string line;
        std::getline(stat, line);
        // pid (command) state ppid ...; the command may hold spaces and parentheses.
        const auto close = line.rfind(')');
        if (close == std::string::npos)
            continue;
        std::istringstream rest(line.substr(close + 1));
        std::string state;
        int parent = 0;
        if (rest >> state >> parent && parent == ::getpid())
            children.push_back(std::stoi(name));
    }
    ::closedir(proc);
    return children;
}

} // namespace pw::test
