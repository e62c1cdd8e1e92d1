#include "pictures/picture_resolution.h"

#include "formats/png_bytes.h"
#include "pictures/bmp_reader.h"
#include "pictures/picture_kinds.h"

#include <FreeImage.h>
#include <array>
#include <cstdint>
#include <cstring>
#include <istream>

namespace pw::pictures {
namespace {

constexpr std::uint16_t kTiffXResolution = 282;
constexpr std::uint32_t kMaxPngChunks = 100000;

bool readBytes(std::istream& in, unsigned char* into, std::size_t count) {
    return static_cast<bool>(
        in.read(reinterpret_cast<char*>(into), static_cast<std::streamsize>(count)));
}

using formats::bigEndian32;

// The data of a PNG's pHYs chunk; nullopt without one (or a damaged one).
std::optional<std::array<unsigned char, 9>> pngPhys(std::istream& in) {
    in.seekg(8);
    std::array<unsigned char, 8> header{};
    for (std::uint32_t i = 0; i < kMaxPngChunks && readBytes(in, header.data(), header.size());
         ++i) {
        const char* type = reinterpret_cast<const char*>(header.data() + 4);
        const std::uint32_t length = formats::bigEndian32(header.data());
        std::array<unsigned char, 9> phys{};
        if (std::memcmp(type, "pHYs", 4) == 0 && length == phys.size())
            return readBytes(in, phys.data(), phys.size()) ? std::optional(phys) : std::nullopt;
        if (std::memcmp(type, "IDAT", 4) == 0 || std::memcmp(type, "IEND", 4) == 0)
            return std::nullopt; // pHYs must come before the picture data
        in.seekg(static_cast<std::streamoff>(length) + 4, std::ios::cur);
    }
    return std::nullopt;
}

formats::Resolution pngResolution(std::istream& in) {
    const auto phys = pngPhys(in);
    if (!phys)
        return {};
    return formats::pngPhysResolution(formats::bigEndian32(phys->data()),
                                      formats::bigEndian32(phys->data() + 4), (*phys)[8]);
}

// FreeImage reads pHYs in metres only, and keeps its made-up 72 dpi for an aspect ratio.
bool pngStatesResolution(std::istream& in) {
    const auto phys = pngPhys(in);
    return phys && (*phys)[8] == 1;
}

bool tiffStatesResolution(std::istream& in, bool littleEndian) {
    const auto read16 = [&](const unsigned char* b) {
        return littleEndian ? static_cast<std::uint16_t>(b[0] | b[1] << 8)
                            : static_cast<std::uint16_t>(b[0] << 8 | b[1]);
    };
    const auto read32 = [&](const unsigned char* b) {
        return littleEndian ? (std::uint32_t{b[3]} << 24 | std::uint32_t{b[2]} << 16 |
                               std::uint32_t{b[1]} << 8 | b[0])
                            : formats::bigEndian32(b);
    };
    std::array<unsigned char, 4> offset{};
    in.seekg(4);
    if (!readBytes(in, offset.data(), offset.size()))
        return true;
    in.seekg(read32(offset.data()));
    std::array<unsigned char, 2> count{};
    if (!readBytes(in, count.data(), count.size()))
        return true;
    std::array<unsigned char, 12> entry{};
    for (std::uint16_t i = 0; i < read16(count.data()); ++i) {
        if (!readBytes(in, entry.data(), entry.size()))
            return true; // a damaged directory: keep what FreeImage read
        if (read16(entry.data()) == kTiffXResolution)
            return true;
    }
    return false;
}

} // namespace

bool statesResolution(const std::string& path) {
    const platform::OpenedFile file(path);
    return statesResolution(file, kindOfFile(file));
}

bool statesResolution(const platform::OpenedFile& file, const PictureKind* kind) {
    platform::OpenedFileStream in(file);
    std::array<unsigned char, 8> head{};
    if (kind == nullptr || !readBytes(in, head.data(), head.size()))
        return true;
    if (kind == kindReadBy(Decoder::FreeImage, FIF_PNG))
        return pngStatesResolution(in);
    if (kind == kindReadBy(Decoder::FreeImage, FIF_GIF))
        return false;
    // A classic TIFF (version 42) in either byte order; BigTIFF keeps what FreeImage read.
    const bool littleEndian = head[0] == 'I';
    if (kind == kindReadBy(Decoder::FreeImage, FIF_TIFF) && head[littleEndian ? 2 : 3] == 42 &&
        head[littleEndian ? 3 : 2] == 0)
        return tiffStatesResolution(in, littleEndian);
    return true;
}

std::optional<formats::Resolution> metricResolution(const std::string& path) {
    const platform::OpenedFile file(path);
    return metricResolution(file, kindOfFile(file));
}

std::optional<formats::Resolution> metricResolution(const platform::OpenedFile& file,
                                                    const PictureKind* kind) {
    if (kind != nullptr && kind == kindReadBy(Decoder::FreeImage, FIF_PNG)) {
        platform::OpenedFileStream in(file);
        return pngResolution(in);
    }
    if (kind == nullptr || kind != kindReadBy(Decoder::Bmp))
        return std::nullopt;
    const std::optional<DotsPerMeter> bmp = bmpResolution(file);
    if (!bmp)
        return std::nullopt;
    return formats::Resolution{bmp->x * formats::kMetresPerInch, bmp->y * formats::kMetresPerInch};
}

} // namespace pw::pictures
