#include "formats/png_data_check.h"

#include <algorithm>

namespace pw::formats {
namespace {

constexpr std::size_t kWindow = 1 << 16;
constexpr unsigned char kLastFilterType = 4;

struct Pass {
    int x0, y0, dx, dy;
};
constexpr Pass kAdam7[7] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                            {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};

std::uint64_t rowBytes(std::uint64_t width, int bitsPerPixel) {
    return (width * static_cast<std::uint64_t>(bitsPerPixel) + 7) / 8;
}

} // namespace

PngDataCheck::PngDataCheck(int width, int height, int bitsPerPixel, bool interlaced)
    : out_(kWindow) {
    const auto w = static_cast<std::uint64_t>(width);
    const auto h = static_cast<std::uint64_t>(height);
    if (!interlaced) {
        rows_.push_back({h, 1 + rowBytes(w, bitsPerPixel)});
    } else {
        for (const Pass& pass : kAdam7) {
            const std::uint64_t pw =
                w > static_cast<std::uint64_t>(pass.x0) ? (w - pass.x0 + pass.dx - 1) / pass.dx : 0;
            const std::uint64_t ph =
                h > static_cast<std::uint64_t>(pass.y0) ? (h - pass.y0 + pass.dy - 1) / pass.dy : 0;
            if (pw > 0 && ph > 0)
                rows_.push_back({ph, 1 + rowBytes(pw, bitsPerPixel)});
        }
    }
    open_ = inflateInit(&stream_) == Z_OK;
    if (!open_)
        reason_ = "cannot check the image data";
}

PngDataCheck::~PngDataCheck() {
    if (open_)
        inflateEnd(&stream_);
}

bool PngDataCheck::consume(const unsigned char* data, std::size_t size) {
    while (size > 0) {
        if (segment_ >= rows_.size()) {
            reason_ = "more image data than the header says";
            return false;
        }
        const Rows& rows = rows_[segment_];
        if (inRow_ == 0 && data[0] > kLastFilterType) {
            reason_ = "damaged image data (bad row filter)";
            return false;
        }
        const std::uint64_t step = std::min<std::uint64_t>(size, rows.bytes - inRow_);
        inRow_ += step;
        data += step;
        size -= static_cast<std::size_t>(step);
        if (inRow_ == rows.bytes) {
            inRow_ = 0;
            if (++row_ == rows.count) {
                row_ = 0;
                ++segment_;
            }
        }
    }
    return true;
}

bool PngDataCheck::feed(const unsigned char* data, std::size_t size) {
    if (!open_ || !reason_.empty())
        return false;
    stream_.next_in = const_cast<Bytef*>(data); // zlib's API takes a non-const pointer
    stream_.avail_in = static_cast<uInt>(size);
    while (stream_.avail_in > 0 && !ended_) {
        stream_.next_out = out_.data();
        stream_.avail_out = static_cast<uInt>(out_.size());
        const int status = inflate(&stream_, Z_NO_FLUSH);
        if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR) {
            reason_ = "damaged image data";
            return false;
        }
        if (!consume(out_.data(), out_.size() - stream_.avail_out))
            return false;
        ended_ = status == Z_STREAM_END;
        if (status == Z_BUF_ERROR)
            break;
    }
    return true;
}

bool PngDataCheck::complete(std::string& reason) const {
    if (!reason_.empty()) {
        reason = reason_;
        return false;
    }
    if (!ended_ || segment_ != rows_.size()) {
        reason = "image data ends early";
        return false;
    }
    return true;
}

} // namespace pw::formats
