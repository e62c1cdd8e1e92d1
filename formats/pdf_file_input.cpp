#include "formats/pdf_file_input.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <qpdf/QPDFExc.hh>
#include <stdexcept>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pw::formats {
namespace {
constexpr std::size_t kWindow = 1 << 16;
}

// Not blocking: a pipe named like a PDF must not hold its reader.
PdfFileInput::PdfFileInput(const std::string& path) : path_(path), window_(kWindow) {
    do
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    while (fd_ < 0 && errno == EINTR);
    if (fd_ < 0)
        throw std::runtime_error("open " + path + ": " + std::strerror(errno));
}

PdfFileInput::~PdfFileInput() {
    ::close(fd_);
}

std::size_t PdfFileInput::readAt(qpdf_offset_t offset, char* into, std::size_t length) {
    std::size_t done = 0;
    while (done < length) {
        const qpdf_offset_t here = offset + static_cast<qpdf_offset_t>(done);
        const qpdf_offset_t windowEnd = windowStart_ + static_cast<qpdf_offset_t>(windowBytes_);
        if (here >= windowStart_ && here < windowEnd) {
            const std::size_t part = std::min(length - done, static_cast<std::size_t>(windowEnd - here));
            std::memcpy(into + done, window_.data() + (here - windowStart_), part);
            done += part;
            continue;
        }
        // A long read (a stream's data) goes straight to its buffer; a short one fills the window.
        const bool direct = length - done >= kWindow;
        char* target = direct ? into + done : window_.data();
        const std::size_t want = direct ? length - done : kWindow;
        ssize_t got;
        do
            got = ::pread(fd_, target, want, static_cast<off_t>(here));
        while (got < 0 && errno == EINTR);
        if (got < 0)
            throw QPDFExc(qpdf_e_system, getName(), "", here,
                          std::string("read: ") + std::strerror(errno));
        if (got == 0)
            break;
        if (direct) {
            done += static_cast<std::size_t>(got);
        } else {
            windowStart_ = here;
            windowBytes_ = static_cast<std::size_t>(got);
        }
    }
    return done;
}

size_t PdfFileInput::read(char* into, size_t length) {
    last_offset = at_;
    const std::size_t got = readAt(at_, into, length);
    at_ += static_cast<qpdf_offset_t>(got);
    if (got == 0 && length > 0) {
        // As qpdf's own file source: at the end, the position and last offset are the size.
        seek(0, SEEK_END);
        last_offset = at_;
    }
    return got;
}

void PdfFileInput::seek(qpdf_offset_t offset, int whence) {
    const qpdf_offset_t base = whence == SEEK_SET   ? 0
                               : whence == SEEK_CUR ? at_
                                                    : fileSize();
    if ((offset < 0 && base + offset < 0) ||
        (offset > 0 && base > std::numeric_limits<qpdf_offset_t>::max() - offset))
        throw std::runtime_error("seek to " + getName() + ", offset " + std::to_string(offset) +
                                 " (" + std::to_string(whence) + ")");
    at_ = base + offset;
}

qpdf_offset_t PdfFileInput::fileSize() const {
    struct stat info {};
    if (::fstat(fd_, &info) != 0)
        throw QPDFExc(qpdf_e_system, path_, "", at_, std::string("stat: ") + std::strerror(errno));
    return static_cast<qpdf_offset_t>(info.st_size);
}

void PdfFileInput::unreadCh(char) {
    if (at_ > 0)
        --at_;
}

// As qpdf's file source: the offset of the next end of line from here, the position left past
// all the \r and \n characters that follow it (or at the end).
qpdf_offset_t PdfFileInput::findAndSkipNextEOL() {
    char chunk[10240];
    for (;;) {
        const qpdf_offset_t start = at_;
        const std::size_t length = read(chunk, sizeof chunk);
        if (length == 0)
            return tell();
        const char* end = chunk + length;
        const char* found =
            std::find_if(static_cast<const char*>(chunk), end, [](char c) { return c == '\r' || c == '\n'; });
        if (found == end)
            continue;
        const qpdf_offset_t result = start + (found - chunk);
        seek(result + 1, SEEK_SET);
        char ch;
        while (read(&ch, 1) == 1) {
            if (ch != '\r' && ch != '\n') {
                unreadCh(ch);
                break;
            }
        }
        return result;
    }
}

} // namespace pw::formats
