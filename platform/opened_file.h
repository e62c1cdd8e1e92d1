#pragma once
// A file opened once to be read by many readers: each reads at its own offset (positional
// reads on the one descriptor), through the descriptor, a stdio stream or an input stream.
#include <cstdint>
#include <cstdio>
#include <istream>
#include <memory>
#include <optional>
#include <streambuf>
#include <string>
#include <vector>

namespace pw::platform {

class OpenedFile {
public:
    OpenedFile() = default;
    // Opens `narrowPath` to read; isOpen() false (error() saying why) when it cannot.
    explicit OpenedFile(const std::string& narrowPath);
    ~OpenedFile();
    OpenedFile(OpenedFile&& other) noexcept;
    OpenedFile& operator=(OpenedFile&& other) noexcept;
    OpenedFile(const OpenedFile&) = delete;
    OpenedFile& operator=(const OpenedFile&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    int error() const { return error_; }
    int descriptor() const { return fd_; } // -1 when not open
    const std::string& narrowPath() const { return narrowPath_; }
    // The size it has now (it may change while it is read); 0 when not open.
    std::uint64_t size() const;
    // Up to `count` bytes from `offset` (fewer at the end or after an error).
    std::size_t readAt(std::uint64_t offset, void* into, std::size_t count) const;
    // The first `count` bytes (fewer for a shorter file).
    std::vector<std::uint8_t> head(std::size_t count) const;
    // The whole file; none when it cannot be read.
    std::optional<std::vector<std::uint8_t>> readAll() const;
    // A stdio stream of it from its start, with a position of its own and its own buffer
    // (fclose it; the file stays open); null when not open.
    std::FILE* stream() const;
    // Gives the opened file the name `target` too (a hard link), or where it cannot (another
    // file system) copies it there; the target is replaced.
    bool linkOrCopyTo(const std::string& target) const;

private:
    std::string narrowPath_;
    int fd_ = -1;
    int error_ = 0;
};

// An input stream over an opened file, from its start, seekable; the file must outlive it.
class OpenedFileStream : public std::istream {
public:
    explicit OpenedFileStream(const OpenedFile& file);
    ~OpenedFileStream() override;

private:
    class Buffer;
    std::unique_ptr<Buffer> buffer_;
};

} // namespace pw::platform
