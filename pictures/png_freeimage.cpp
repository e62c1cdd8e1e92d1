#include "pictures/png_freeimage.h"

#include "formats/png_bytes.h"
#include "pictures/picture_kinds.h"
#include "pictures/stoppable_io.h"

#include <FreeImage.h>
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace pw::pictures {
namespace {

constexpr std::uint32_t kMaxChunks = 100000;
constexpr std::uint64_t kMaxFileBytes = std::uint64_t{1} << 31; // FreeImage's memory streams

using formats::bigEndian32;

struct Chunk {
    std::uint64_t at = 0;
    std::uint64_t size = 0; // length, type, data and CRC
};

} // namespace

std::vector<unsigned char> pngWithPaletteFirst(const std::string& narrowPath) {
    return pngWithPaletteFirst(platform::OpenedFile(narrowPath));
}

std::vector<unsigned char> pngWithPaletteFirst(const platform::OpenedFile& opened) {
    platform::OpenedFileStream in(opened);
    const auto fileSize = static_cast<std::streamoff>(opened.size());
    std::array<unsigned char, 8 + 8 + 13> head{};
    in.seekg(0);
    if (!in.read(reinterpret_cast<char*>(head.data()), head.size()) ||
        !fileShows(opened, kindReadBy(Decoder::FreeImage, FIF_PNG)) ||
        std::memcmp(head.data() + 12, "IHDR", 4) != 0 || head[25] != 3 || fileSize <= 0 ||
        static_cast<std::uint64_t>(fileSize) > kMaxFileBytes)
        return {};
    Chunk transparency;
    Chunk palette;
    std::uint64_t at = 8;
    std::array<unsigned char, 8> header{};
    for (std::uint32_t i = 0; i < kMaxChunks && palette.size == 0; ++i) {
        in.seekg(static_cast<std::streamoff>(at));
        if (!in.read(reinterpret_cast<char*>(header.data()), header.size()))
            return {};
        const Chunk chunk{at, std::uint64_t{formats::bigEndian32(header.data())} + 12};
        const char* type = reinterpret_cast<const char*>(header.data() + 4);
        if (std::memcmp(type, "IDAT", 4) == 0 || std::memcmp(type, "IEND", 4) == 0)
            return {};
        if (std::memcmp(type, "tRNS", 4) == 0 && transparency.size == 0)
            transparency = chunk;
        else if (std::memcmp(type, "PLTE", 4) == 0)
            palette = chunk;
        at += chunk.size;
    }
    if (transparency.size == 0 || palette.size == 0 ||
        palette.at + palette.size > static_cast<std::uint64_t>(fileSize))
        return {};
    std::vector<unsigned char> file(static_cast<std::size_t>(fileSize));
    in.seekg(0);
    if (!in.read(reinterpret_cast<char*>(file.data()), fileSize))
        return {};
    // The chunks from tRNS up to PLTE turn round so that PLTE leads: CRCs cover each chunk alone.
    const auto first = file.begin() + static_cast<std::ptrdiff_t>(transparency.at);
    const auto paletteStart = file.begin() + static_cast<std::ptrdiff_t>(palette.at);
    std::rotate(first, paletteStart, paletteStart + static_cast<std::ptrdiff_t>(palette.size));
    return file;
}

Bitmap loadPngWithFreeImage(const std::string& narrowPath, StopFlag stop) {
    return loadPngWithFreeImage(platform::OpenedFile(narrowPath), stop);
}

Bitmap loadPngWithFreeImage(const platform::OpenedFile& file, StopFlag stop) {
    const std::vector<unsigned char> reordered = pngWithPaletteFirst(file);
    if (reordered.empty())
        return loadStoppable(FIF_PNG, file, PNG_IGNOREGAMMA, stop);
    return loadStoppable(FIF_PNG, reordered, PNG_IGNOREGAMMA, stop);
}

} // namespace pw::pictures
