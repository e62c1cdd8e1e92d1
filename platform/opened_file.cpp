#include "platform/opened_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pw::platform {

// Not blocking: a pipe or device named like a picture must not hold its reader.
OpenedFile::OpenedFile(const std::string& narrowPath) : narrowPath_(narrowPath) {
    do
        fd_ = ::open(narrowPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    while (fd_ < 0 && errno == EINTR);
    if (fd_ < 0)
        error_ = errno;
}

OpenedFile::~OpenedFile() {
    if (fd_ >= 0)
        ::close(fd_);
}

OpenedFile::OpenedFile(OpenedFile&& other) noexcept
    : narrowPath_(std::move(other.narrowPath_)), fd_(other.fd_), error_(other.error_) {
    other.fd_ = -1;
}

OpenedFile& OpenedFile::operator=(OpenedFile&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        narrowPath_ = std::move(other.narrowPath_);
        fd_ = other.fd_;
        error_ = other.error_;
        other.fd_ = -1;
    }
    return *this;
}

std::uint64_t OpenedFile::size() const {
    struct stat info {};
    if (fd_ < 0 || ::fstat(fd_, &info) != 0 || info.st_size < 0)
        return 0;
    return static_cast<std::uint64_t>(info.st_size);
}

std::size_t OpenedFile::readAt(std::uint64_t offset, void* into, std::size_t count) const {
    std::size_t done = 0;
    while (fd_ >= 0 && done < count) {
        const ssize_t got = ::pread(fd_, static_cast<char*>(into) + done, count - done,
                                    static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    // The descriptor's position follows the reads, so /proc shows how far reading has come.
    if (done > 0)
        ::lseek(fd_, static_cast<off_t>(offset + done), SEEK_SET);
    return done;
}

std::vector<std::uint8_t> OpenedFile::head(std::size_t count) const {
    std::vector<std::uint8_t> bytes(count);
    bytes.resize(readAt(0, bytes.data(), count));
    return bytes;
}

std::optional<std::vector<std::uint8_t>> OpenedFile::readAll() const {
    if (fd_ < 0)
        return std::nullopt;
    std::vector<std::uint8_t> bytes;
    std::uint8_t chunk[1 << 16];
    for (;;) {
        const ssize_t got = ::pread(fd_, chunk, sizeof chunk, static_cast<off_t>(bytes.size()));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            return bytes;
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
}

namespace {

struct StreamPlace {
    explicit StreamPlace(const OpenedFile* opened) : file(opened) {}
    const OpenedFile* file;
    std::uint64_t at = 0;
    // glibc gives a cookie stream 8 KB unless handed a buffer; a whole-picture structure walk
    // would then be two system calls every 8 KB.
    char buffer[1 << 16];
};

ssize_t streamRead(void* cookie, char* into, std::size_t size) {
    auto& place = *static_cast<StreamPlace*>(cookie);
    const std::size_t got = place.file->readAt(place.at, into, size);
    place.at += got;
    return static_cast<ssize_t>(got);
}

int streamSeek(void* cookie, off64_t* offset, int whence) {
    auto& place = *static_cast<StreamPlace*>(cookie);
    const auto base = static_cast<off64_t>(whence == SEEK_SET   ? 0
                                           : whence == SEEK_CUR ? place.at
                                                                : place.file->size());
    if (*offset < -base)
        return -1;
    place.at = static_cast<std::uint64_t>(base + *offset);
    *offset = static_cast<off64_t>(place.at);
    return 0;
}

int streamClose(void* cookie) {
    delete static_cast<StreamPlace*>(cookie);
    return 0;
}

} // namespace

std::FILE* OpenedFile::stream() const {
    if (fd_ < 0)
        return nullptr;
    auto* place = new StreamPlace(this);
    std::FILE* file = ::fopencookie(place, "rb", {streamRead, nullptr, streamSeek, streamClose});
    if (file == nullptr)
        delete place;
    else
        std::setvbuf(file, place->buffer, _IOFBF, sizeof place->buffer);
    return file;
}

bool OpenedFile::linkOrCopyTo(const std::string& target) const {
    if (fd_ < 0)
        return false;
    // A target that is the opened file's only name is left as it is.
    struct stat opened {};
    struct stat existing {};
    const bool openedKnown = ::fstat(fd_, &opened) == 0;
    const bool targetThere = ::stat(target.c_str(), &existing) == 0;
    const bool targetMissing = !targetThere && errno == ENOENT;
    if (openedKnown && targetThere && opened.st_dev == existing.st_dev &&
        opened.st_ino == existing.st_ino && opened.st_nlink == 1)
        return false;
    if (!targetMissing)
        ::unlink(target.c_str());
    // The descriptor's own name links the file opened, whatever has come to hold its path.
    const std::string self = "/proc/self/fd/" + std::to_string(fd_);
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, target.c_str(), AT_SYMLINK_FOLLOW) == 0)
        return true;
    struct stat info {};
    if (::fstat(fd_, &info) != 0)
        return false;
    std::string temporary = target + ".pwcopy-XXXXXX";
    const int to = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (to < 0)
        return false;
    bool ok = true;
    char buffer[1 << 16];
    for (std::uint64_t at = 0; ok;) {
        const std::size_t got = readAt(at, buffer, sizeof buffer);
        for (std::size_t written = 0; ok && written < got;) {
            const ssize_t put = ::write(to, buffer + written, got - written);
            if (put < 0 && errno == EINTR)
                continue;
            ok = put > 0;
            written += put > 0 ? static_cast<std::size_t>(put) : 0;
        }
        if (got < sizeof buffer)
            break;
        at += got;
    }
    ok = ok && ::fchmod(to, info.st_mode & 0777) == 0;
    const struct timespec times[2] = {info.st_atim, info.st_mtim};
    ok = ok && ::futimens(to, times) == 0;
    ok = ::close(to) == 0 && ok;
    ok = ok && ::rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok)
        ::unlink(temporary.c_str());
    return ok;
}

// Reads through a buffer of its own at its own offset.
class OpenedFileStream::Buffer : public std::streambuf {
public:
    explicit Buffer(const OpenedFile& file) : file_(file) {}

protected:
    int_type underflow() override {
        if (gptr() < egptr())
            return traits_type::to_int_type(*gptr());
        start_ += static_cast<std::uint64_t>(egptr() - eback());
        const std::size_t got = file_.readAt(start_, bytes_, sizeof bytes_);
        setg(bytes_, bytes_, bytes_ + got);
        return got == 0 ? traits_type::eof() : traits_type::to_int_type(*gptr());
    }
    pos_type seekoff(off_type offset, std::ios_base::seekdir way,
                     std::ios_base::openmode) override {
        const auto here = static_cast<off_type>(start_) + (gptr() - eback());
        const off_type base = way == std::ios_base::beg   ? 0
                              : way == std::ios_base::cur ? here
                                                          : static_cast<off_type>(file_.size());
        return seekpos(pos_type(base + offset), std::ios_base::in);
    }
    pos_type seekpos(pos_type position, std::ios_base::openmode) override {
        const auto at = static_cast<off_type>(position);
        if (at < 0)
            return pos_type(off_type(-1));
        const auto begin = static_cast<off_type>(start_);
        if (at >= begin && at <= begin + (egptr() - eback())) {
            setg(eback(), eback() + (at - begin), egptr());
        } else {
            start_ = static_cast<std::uint64_t>(at);
            setg(bytes_, bytes_, bytes_);
        }
        return position;
    }

private:
    const OpenedFile& file_;
    std::uint64_t start_ = 0; // the file offset of eback()
    char bytes_[1 << 16];
};

OpenedFileStream::OpenedFileStream(const OpenedFile& file)
    : std::istream(nullptr), buffer_(std::make_unique<Buffer>(file)) {
    rdbuf(buffer_.get());
    if (!file.isOpen())
        setstate(std::ios_base::failbit);
}

OpenedFileStream::~OpenedFileStream() = default;

} // namespace pw::platform
