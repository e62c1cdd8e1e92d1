#include "formats/png_info.h"

#include "formats/pixel_limit.h"
#include "formats/png_bytes.h"
#include "formats/png_data_check.h"
#include "formats/resolution.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sys/stat.h>
#include <vector>
#include <zlib.h>

// libpng hands out decoded rows only; where the compressed data lies, and the chunks themselves,
// are found by walking the chunk list here.
namespace pw::formats {
namespace {

constexpr std::uint32_t kMaxChunkLength = 0x7FFFFFFF;
constexpr std::size_t kMaxKeptChunk = 64u << 20; // iCCP, PLTE, tRNS: far below this
constexpr std::size_t kReadChunk = 1 << 18;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

bool validDepth(int colourType, int depth) {
    switch (colourType) {
    case 0:
        return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case 3:
        return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case 2:
    case 4:
    case 6:
        return depth == 8 || depth == 16;
    default:
        return false;
    }
}

// The profile inside an iCCP chunk, or empty when it cannot be used for these colours.
std::string iccProfile(const std::string& chunk, int baseColours) {
    const std::size_t nameEnd = chunk.find('\0');
    if (nameEnd == std::string::npos || nameEnd == 0 || nameEnd + 2 > chunk.size() ||
        chunk[nameEnd + 1] != 0)
        return {};
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK)
        return {};
    std::string profile;
    std::array<unsigned char, 1 << 14> out{};
    stream.next_in =
        reinterpret_cast<Bytef*>(const_cast<char*>(chunk.data())) + nameEnd + 2; // zlib's API
    stream.avail_in = static_cast<uInt>(chunk.size() - nameEnd - 2);
    int status = Z_OK;
    while (status == Z_OK && profile.size() < kMaxKeptChunk) {
        stream.next_out = out.data();
        stream.avail_out = static_cast<uInt>(out.size());
        status = inflate(&stream, Z_NO_FLUSH);
        profile.append(reinterpret_cast<const char*>(out.data()), out.size() - stream.avail_out);
        if (status == Z_OK && stream.avail_in == 0 && stream.avail_out != 0)
            break; // truncated
    }
    inflateEnd(&stream);
    const auto* bytes = reinterpret_cast<const unsigned char*>(profile.data());
    return status == Z_STREAM_END && usableIccProfile(bytes, profile.size(), baseColours)
               ? profile
               : std::string();
}

class ChunkWalker {
public:
    ChunkWalker(std::FILE* file, std::string& reason) : file_(file), reason_(reason) {}

    // With `headerOnly`, stops at the image data: the chunks before it are read and checked,
    // the data itself is not.
    std::optional<PngInfo> walk(std::uint64_t fileSize, bool headerOnly) {
        unsigned char signature[8];
        if (std::fread(signature, 1, 8, file_) != 8 || !isPngSignature(signature))
            return fail("not a PNG file");
        info_.fileSize = fileSize;
        std::uint64_t offset = 8;
        bool seenHeader = false;
        bool idatEnded = false;
        bool imageData = false;
        std::string iccChunk;
        for (;;) {
            unsigned char head[8];
            if (std::fread(head, 1, 8, file_) != 8)
                return fail("ends before its IEND chunk");
            const std::uint32_t length = bigEndian32(head);
            const std::string type(reinterpret_cast<const char*>(head + 4), 4);
            if (length > kMaxChunkLength)
                return fail("chunk too long");
            for (const char c : type) {
                if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')))
                    return fail("damaged chunk list");
            }
            if (!seenHeader && type != "IHDR")
                return fail("no IHDR chunk first");
            const bool keep = type == "IHDR" || type == "PLTE" || type == "tRNS" ||
                              type == "iCCP" || type == "pHYs";
            if (type == "IDAT" && !imageData) {
                if (!checkColours())
                    return std::nullopt;
                imageData = true;
                if (headerOnly) {
                    if (!iccChunk.empty())
                        info_.iccProfile = iccProfile(iccChunk, info_.baseColours());
                    return info_;
                }
                // Data that is copied as it is is checked by its CRCs only, like any reader of
                // PNG files does before decoding; data the builder decodes is checked whole
                // now, as a failure while the PDF is written would cost every page.
                if (info_.hasAlpha() || !info_.copiesIdat())
                    check_ = std::make_unique<PngDataCheck>(info_.width, info_.height,
                                                            bitsPerPixel(), info_.interlaced);
            }
            std::string data;
            if (!readData(head + 4, length, keep, type == "IDAT" ? check_.get() : nullptr, data))
                return std::nullopt;
            if (type == "IDAT") {
                if (idatEnded)
                    return fail("IDAT chunks not in one run");
                if (info_.firstIdat == 0)
                    info_.firstIdat = offset;
                info_.idatLength += length;
            } else if (info_.firstIdat != 0) {
                idatEnded = true;
            }
            offset += 12 + std::uint64_t{length};
            if (type == "IHDR") {
                if (seenHeader || !readHeader(data))
                    return std::nullopt;
                seenHeader = true;
            } else if (imageData && (type == "PLTE" || type == "tRNS" || type == "iCCP")) {
                continue; // only meaningful before the image data
            } else if (type == "PLTE") {
                if (data.empty() || data.size() % 3 != 0 || data.size() > 3 * 256)
                    return fail("bad palette");
                if (!info_.palette.empty()) // libpng refuses to decode such a file
                    return fail("more than one PLTE chunk");
                info_.palette = data;
            } else if (type == "tRNS") {
                info_.transparency = data;
            } else if (type == "iCCP") {
                iccChunk = data;
            } else if (type == "pHYs") {
                readResolution(data);
            } else if (type == "IEND") {
                break;
            } else if (type[0] >= 'A' && type[0] <= 'Z' && type != "IDAT") {
                return fail("unknown critical chunk " + type);
            }
        }
        if (!imageData)
            return fail("no image data");
        // Copied data is not inflated, but it can be too short for the rows at any ratio.
        const std::uint64_t pixelBytes = static_cast<std::uint64_t>(info_.width) *
                                         static_cast<std::uint64_t>(info_.height) *
                                         static_cast<std::uint64_t>(bitsPerPixel()) / 8;
        if (!canInflateTo(info_.idatLength, pixelBytes))
            return fail("too little image data for its size");
        if (check_ && !check_->complete(reason_))
            return std::nullopt;
        if (!iccChunk.empty())
            info_.iccProfile = iccProfile(iccChunk, info_.baseColours());
        return info_;
    }

private:
    std::optional<PngInfo> fail(const std::string& why) {
        reason_ = why;
        return std::nullopt;
    }

    // Reads a chunk's data (kept only when asked) and checks its CRC.
    bool readData(const unsigned char* type, std::uint32_t length, bool keep, PngDataCheck* check,
                  std::string& data) {
        if (keep && length > kMaxKeptChunk) {
            reason_ = "chunk too long";
            return false;
        }
        uLong crc = crc32(0L, type, 4);
        std::uint32_t left = length;
        while (left > 0) {
            const std::size_t want = std::min<std::size_t>(left, buffer_.size());
            if (std::fread(buffer_.data(), 1, want, file_) != want) {
                reason_ = "truncated";
                return false;
            }
            crc = crc32(crc, buffer_.data(), static_cast<uInt>(want));
            if (keep)
                data.append(reinterpret_cast<const char*>(buffer_.data()), want);
            if (check != nullptr && !check->feed(buffer_.data(), want)) {
                check->complete(reason_);
                return false;
            }
            left -= static_cast<std::uint32_t>(want);
        }
        unsigned char stored[4];
        if (std::fread(stored, 1, 4, file_) != 4) {
            reason_ = "truncated";
            return false;
        }
        if (bigEndian32(stored) != crc) {
            reason_ = "damaged (CRC error)";
            return false;
        }
        return true;
    }

    bool readHeader(const std::string& data) {
        if (data.size() != 13) {
            reason_ = "bad IHDR chunk";
            return false;
        }
        const auto* p = reinterpret_cast<const unsigned char*>(data.data());
        const std::uint32_t width = bigEndian32(p);
        const std::uint32_t height = bigEndian32(p + 4);
        info_.bitDepth = p[8];
        info_.colourType = p[9];
        if (width == 0 || height == 0 || width > kMaxChunkLength || height > kMaxChunkLength ||
            !validDepth(info_.colourType, info_.bitDepth) || p[10] != 0 || p[11] != 0 ||
            p[12] > 1) {
            reason_ = "bad IHDR values";
            return false;
        }
        if (!withinPixelLimit(width, height)) {
            reason_ = pixelLimitReason(width, height);
            return false;
        }
        info_.width = static_cast<int>(width);
        info_.height = static_cast<int>(height);
        info_.interlaced = p[12] == 1;
        return true;
    }

    void readResolution(const std::string& data) {
        if (data.size() != 9)
            return; // damaged
        const auto* p = reinterpret_cast<const unsigned char*>(data.data());
        const Resolution resolution = pngPhysResolution(bigEndian32(p), bigEndian32(p + 4), p[8]);
        info_.xDpi = resolution.xDpi;
        info_.yDpi = resolution.yDpi;
    }

    int bitsPerPixel() const {
        return pngSamples(static_cast<unsigned>(info_.colourType)) * info_.bitDepth;
    }

    bool checkColours() {
        if (info_.colourType == 3) {
            const std::size_t entries = info_.palette.size() / 3;
            if (entries == 0 || entries > (std::size_t{1} << info_.bitDepth)) {
                reason_ = "bad palette";
                return false;
            }
            if (info_.transparency.size() > entries)
                info_.transparency.resize(entries);
        } else {
            info_.palette.clear(); // only a suggestion for true colour
        }
        const std::size_t keyBytes = info_.colourType == 0 ? 2 : info_.colourType == 2 ? 6 : 0;
        if (info_.colourType != 3 && info_.transparency.size() != keyBytes)
            info_.transparency.clear(); // damaged, or not allowed with an alpha channel
        return true;
    }

    std::FILE* file_;
    std::string& reason_;
    PngInfo info_;
    std::unique_ptr<PngDataCheck> check_;
    std::vector<unsigned char> buffer_ = std::vector<unsigned char>(kReadChunk);
};

} // namespace

namespace {

std::optional<PngInfo> walkFile(const std::string& path, bool headerOnly, std::string& reason) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        reason = "cannot be opened";
        return std::nullopt;
    }
    struct stat status {};
    if (fstat(fileno(file.get()), &status) != 0) {
        reason = "cannot be read";
        return std::nullopt;
    }
    ChunkWalker walker(file.get(), reason);
    return walker.walk(static_cast<std::uint64_t>(status.st_size), headerOnly);
}

std::optional<PngInfo> walkStream(std::FILE* opened, std::uint64_t fileSize, bool headerOnly,
                                  std::string& reason) {
    std::unique_ptr<std::FILE, FileCloser> file(opened);
    if (!file) {
        reason = "cannot be opened";
        return std::nullopt;
    }
    ChunkWalker walker(file.get(), reason);
    return walker.walk(fileSize, headerOnly);
}

} // namespace

std::optional<PngInfo> readPngInfo(const std::string& path, std::string& reason) {
    return walkFile(path, false, reason);
}

std::optional<PngInfo> readPngInfo(std::FILE* file, std::uint64_t fileSize, std::string& reason) {
    return walkStream(file, fileSize, false, reason);
}

std::optional<std::string> readPngIccProfile(std::FILE* file, std::uint64_t fileSize) {
    std::string reason;
    const std::optional<PngInfo> info = walkStream(file, fileSize, true, reason);
    if (!info)
        return std::nullopt;
    return info->iccProfile;
}

std::optional<std::string> readPngIccProfile(const std::string& path) {
    std::string reason;
    const std::optional<PngInfo> info = walkFile(path, true, reason);
    if (!info)
        return std::nullopt;
    return info->iccProfile;
}

} // namespace pw::formats
