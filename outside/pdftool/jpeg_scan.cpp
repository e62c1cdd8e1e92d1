#include "outside/pdftool/jpeg_scan.h"

#include <vector>

namespace pw::pdftool {
namespace {

constexpr std::size_t kTailWindow = 4096;

bool isPadding(unsigned char c) {
    return c == 0x00 || c == 0xFF || c == '\r' || c == '\n';
}

// End-of-image marker near the end, followed by padding only.
bool endsWithImageEnd(std::FILE* file, std::uint64_t fileSize, std::uint64_t scanStart) {
    const std::uint64_t window = fileSize < kTailWindow ? fileSize : kTailWindow;
    const std::uint64_t windowStart = fileSize - window;
    std::vector<unsigned char> tail(static_cast<std::size_t>(window));
    if (fseeko(file, static_cast<off_t>(windowStart), SEEK_SET) != 0 ||
        std::fread(tail.data(), 1, tail.size(), file) != tail.size())
        return false;
    std::size_t end = tail.size();
    while (end >= 2) {
        if (tail[end - 2] == 0xFF && tail[end - 1] == 0xD9)
            return windowStart + end - 2 > scanStart;
        if (!isPadding(tail[end - 1]))
            return false;
        --end;
    }
    return false;
}

// Buffered sequential reader for the marker walk.
class ByteReader {
public:
    explicit ByteReader(std::FILE* file) : file_(file), buffer_(1 << 16) {}
    bool next(unsigned char& c) {
        if (pos_ == len_) {
            len_ = std::fread(buffer_.data(), 1, buffer_.size(), file_);
            pos_ = 0;
            if (len_ == 0)
                return false;
        }
        c = buffer_[pos_++];
        ++offset_;
        return true;
    }
    bool skip(std::uint64_t count) {
        while (count > 0) {
            if (pos_ == len_) {
                len_ = std::fread(buffer_.data(), 1, buffer_.size(), file_);
                pos_ = 0;
                if (len_ == 0)
                    return false;
            }
            const std::size_t available = len_ - pos_;
            const std::size_t step =
                count < available ? static_cast<std::size_t>(count) : available;
            pos_ += step;
            offset_ += step;
            count -= step;
        }
        return true;
    }
    std::uint64_t offset() const { return offset_; }
    void setOffset(std::uint64_t offset) { offset_ = offset; }

private:
    std::FILE* file_;
    std::vector<unsigned char> buffer_;
    std::size_t pos_ = 0;
    std::size_t len_ = 0;
    std::uint64_t offset_ = 0;
};

bool isRestart(unsigned char marker) {
    return marker >= 0xD0 && marker <= 0xD7;
}

// Walks scan data and marker segments from the start of the first scan's data.
bool walkToImageEnd(std::FILE* file, std::uint64_t scanStart) {
    if (fseeko(file, static_cast<off_t>(scanStart), SEEK_SET) != 0)
        return false;
    ByteReader reader(file);
    reader.setOffset(scanStart);
    bool inScan = true;
    unsigned char c = 0;
    bool sawData = false;
    while (true) {
        if (inScan) {
            // Entropy-coded data: 0xFF is followed by 0x00 (stuffing), a restart marker or
            // fill bytes; anything else is the next marker.
            if (!reader.next(c))
                return false;
            if (c != 0xFF) {
                sawData = true;
                continue;
            }
            do {
                if (!reader.next(c))
                    return false;
            } while (c == 0xFF);
            if (c == 0x00 || isRestart(c)) {
                sawData = true;
                continue;
            }
        } else {
            if (!reader.next(c))
                return false;
            if (c != 0xFF)
                return false; // garbage where a marker belongs
            do {
                if (!reader.next(c))
                    return false;
            } while (c == 0xFF);
        }
        const unsigned char marker = c;
        if (marker == 0xD9)
            return sawData;
        if (marker == 0x01 || isRestart(marker)) {
            inScan = false;
            continue;
        }
        unsigned char high = 0;
        unsigned char low = 0;
        if (!reader.next(high) || !reader.next(low))
            return false;
        const unsigned length = static_cast<unsigned>(high) << 8 | low;
        if (length < 2 || !reader.skip(length - 2))
            return false;
        inScan = marker == 0xDA;
    }
}

} // namespace

bool hasImageEnd(std::FILE* file, std::uint64_t fileSize, std::uint64_t scanStart) {
    if (scanStart >= fileSize)
        return false;
    if (endsWithImageEnd(file, fileSize, scanStart))
        return true;
    return walkToImageEnd(file, scanStart);
}

} // namespace pw::pdftool
