#pragma once
// The fuzz input as a file the parsers can open by name, kept in memory (memfd).
#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace pw::fuzz {

class MemoryFile {
public:
    MemoryFile(const std::uint8_t* data, std::size_t size)
        : fd_(::memfd_create("fuzz-input", MFD_CLOEXEC)) {
        std::size_t done = 0;
        while (fd_ >= 0 && done < size) {
            const ssize_t written = ::write(fd_, data + done, size - done);
            if (written <= 0) {
                ::close(fd_);
                fd_ = -1;
                break;
            }
            done += static_cast<std::size_t>(written);
        }
    }
    ~MemoryFile() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    bool ok() const { return fd_ >= 0; }
    std::string path() const { return "/proc/self/fd/" + std::to_string(fd_); }

private:
    int fd_;
};

} // namespace pw::fuzz
