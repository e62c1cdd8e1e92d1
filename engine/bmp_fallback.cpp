#include "engine/bmp_fallback.h"

#include "engine/picture_size_check.h"
#include "engine/pixel_limit.h"

#include <FreeImage.h>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace pw::engine {
namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kClassicInfoSize = 40;
constexpr std::uint32_t kV4InfoSize = 108;
constexpr std::uint32_t kV5InfoSize = 124;
constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiBitfields = 3;
constexpr std::size_t kMasksOffset = kFileHeaderSize + kClassicInfoSize; // red, green, blue
constexpr std::size_t kMasksSize = 12;
constexpr std::size_t kMaxFileSize = std::size_t{1} << 31;

std::uint32_t readU32(const std::vector<unsigned char>& bytes, std::size_t at) {
    return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
           static_cast<std::uint32_t>(bytes[at + 2]) << 16 |
           static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

void writeU32(std::vector<unsigned char>& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + static_cast<std::size_t>(i)] = static_cast<unsigned char>(value >> (8 * i));
}

} // namespace

std::vector<unsigned char> BmpWithClassicHeader(const std::vector<unsigned char>& file) {
    if (file.size() < kFileHeaderSize + kV4InfoSize || file[0] != 'B' || file[1] != 'M')
        return {};
    const std::uint32_t infoSize = readU32(file, kFileHeaderSize);
    if (infoSize != kV4InfoSize && infoSize != kV5InfoSize)
        return {};
    const std::uint32_t compression = readU32(file, kFileHeaderSize + 16);
    if (compression != kBiRgb && compression != kBiBitfields)
        return {};
    const std::uint32_t pixelOffset = readU32(file, 10);
    const std::size_t infoEnd = kFileHeaderSize + infoSize;
    if (pixelOffset < infoEnd || pixelOffset > file.size())
        return {};

    // Classic header, then the masks a bit-field picture needs, then the rest as it stands
    // (colour table and pixels), with the pixel offset moved by what was cut.
    const bool bitfields = compression == kBiBitfields;
    std::vector<unsigned char> out(file.begin(), file.begin() + kMasksOffset);
    writeU32(out, kFileHeaderSize, kClassicInfoSize);
    if (bitfields)
        out.insert(out.end(), file.begin() + kMasksOffset,
                   file.begin() + kMasksOffset + kMasksSize);
    out.insert(out.end(), file.begin() + static_cast<std::ptrdiff_t>(infoEnd), file.end());
    const std::size_t removed = file.size() - out.size();
    writeU32(out, 10, static_cast<std::uint32_t>(pixelOffset - removed));
    writeU32(out, 2, static_cast<std::uint32_t>(out.size()));
    return out;
}

FIBITMAP* LoadBmpWithClassicHeader(const std::string& path, std::string& problem) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in)
        return nullptr;
    const std::streamoff size = in.tellg();
    if (size <= 0 || static_cast<std::size_t>(size) > kMaxFileSize)
        return nullptr;
    std::vector<unsigned char> file(static_cast<std::size_t>(size));
    in.seekg(0);
    if (!in.read(reinterpret_cast<char*>(file.data()), size))
        return nullptr;
    std::vector<unsigned char> classic = BmpWithClassicHeader(file);
    file = {}; // one copy of the picture at a time
    if (classic.empty())
        return nullptr;
    FIMEMORY* memory = FreeImage_OpenMemory(classic.data(), static_cast<DWORD>(classic.size()));
    if (memory == nullptr)
        return nullptr;
    // The header first, held to the pixel limit and the general rule like any other BMP.
    FIBITMAP* bitmap = FreeImage_LoadFromMemory(FIF_BMP, memory, FIF_LOAD_NOPIXELS);
    if (bitmap != nullptr) {
        const unsigned width = FreeImage_GetWidth(bitmap);
        const unsigned height = FreeImage_GetHeight(bitmap);
        const std::uint64_t bits = FreeImage_GetBPP(bitmap);
        FreeImage_Unload(bitmap);
        bitmap = nullptr;
        if (!WithinPixelLimit(width, height))
            problem = PixelLimitReason(width, height);
        else
            problem = GeneralDataTooShort(width, height, std::uint64_t{width} * height * bits / 8,
                                          classic.size());
    }
    if (problem.empty() && FreeImage_SeekMemory(memory, 0, SEEK_SET))
        bitmap = FreeImage_LoadFromMemory(FIF_BMP, memory, 0);
    FreeImage_CloseMemory(memory);
    return bitmap;
}

} // namespace pw::engine
