#include "engine/picture_size_check.h"

#include "engine/pixel_limit.h"
#include "outside/pdftool/png_bytes.h"

#include <FreeImage.h>
#include <array>
#include <cstdint>
#include <cstring>
#include <fstream>

namespace pw::engine {
namespace {

using pdftool::bigEndian32;

// A PNG whose image data could not inflate to its pixels even at deflate's best ratio: a few
// bytes claiming a large picture, for which FreeImage would clear a whole bitmap before
// failing. Counts the IDAT chunks' lengths from their headers.
std::string pngDataTooShort(const std::string& narrowPath) {
    std::ifstream in(narrowPath, std::ios::binary);
    std::array<unsigned char, 8 + 8 + 13> head{};
    if (!in.read(reinterpret_cast<char*>(head.data()), head.size()) ||
        std::memcmp(head.data() + 12, "IHDR", 4) != 0)
        return std::string();
    const std::uint32_t width = bigEndian32(head.data() + 16);
    const std::uint32_t height = bigEndian32(head.data() + 20);
    const int channels[7] = {1, 0, 3, 1, 2, 0, 4};
    const unsigned depth = head[24];
    const unsigned type = head[25];
    if (type > 6 || channels[type] == 0)
        return std::string();
    const std::uint64_t pixelBytes =
        static_cast<std::uint64_t>(width) * height * depth * channels[type] / 8;
    std::uint64_t data = 0;
    in.seekg(8 + 8 + 13 + 4); // past the IHDR chunk and its CRC
    std::array<unsigned char, 8> chunk{};
    while (in.read(reinterpret_cast<char*>(chunk.data()), chunk.size())) {
        const std::uint32_t length = bigEndian32(chunk.data());
        if (std::memcmp(chunk.data() + 4, "IDAT", 4) == 0)
            data += length;
        if (std::memcmp(chunk.data() + 4, "IEND", 4) == 0)
            break;
        in.seekg(static_cast<std::streamoff>(length) + 4, std::ios::cur);
    }
    if (CanInflateTo(data, pixelBytes))
        return std::string();
    return std::to_string(width) + " x " + std::to_string(height) +
           " pixels claimed with too little image data for them";
}

} // namespace

std::string HeaderTooLarge(int format, const std::string& narrowPath) {
    const auto fif = static_cast<FREE_IMAGE_FORMAT>(format);
    if (fif == FIF_UNKNOWN || !FreeImage_FIFSupportsNoPixels(fif))
        return std::string();
    FIBITMAP* header = FreeImage_Load(fif, narrowPath.c_str(), FIF_LOAD_NOPIXELS);
    if (header == nullptr)
        return std::string(); // the full load reports the failure
    const std::string reason = BitmapTooLarge(header);
    FreeImage_Unload(header);
    if (reason.empty() && fif == FIF_PNG)
        return pngDataTooShort(narrowPath);
    return reason;
}

std::string BitmapTooLarge(FIBITMAP* bitmap) {
    if (bitmap == nullptr)
        return std::string();
    const unsigned width = FreeImage_GetWidth(bitmap);
    const unsigned height = FreeImage_GetHeight(bitmap);
    if (width == 0 || height == 0 || WithinPixelLimit(width, height))
        return std::string();
    return PixelLimitReason(width, height);
}

} // namespace pw::engine
