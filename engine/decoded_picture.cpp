#include "engine/decoded_picture.h"

#include <FreeImage.h>
#include <vector>

namespace pw::engine {
namespace {

// Where the stored pixel (x, y) of a width x height picture lands when shown.
void shownPosition(int orientation, int x, int y, int width, int height, int& shownX, int& shownY) {
    switch (orientation) {
    case 2:
        shownX = width - 1 - x;
        shownY = y;
        break;
    case 3:
        shownX = width - 1 - x;
        shownY = height - 1 - y;
        break;
    case 4:
        shownX = x;
        shownY = height - 1 - y;
        break;
    case 5:
        shownX = y;
        shownY = x;
        break;
    case 6:
        shownX = height - 1 - y;
        shownY = x;
        break;
    case 7:
        shownX = height - 1 - y;
        shownY = width - 1 - x;
        break;
    case 8:
        shownX = y;
        shownY = width - 1 - x;
        break;
    default:
        shownX = x;
        shownY = y;
        break;
    }
}

BYTE overWhite(BYTE value, BYTE alpha) {
    return static_cast<BYTE>((value * alpha + 255 * (255 - alpha) + 127) / 255);
}

WORD overWhite16(std::uint32_t value, std::uint32_t alpha) {
    const std::uint64_t mixed = static_cast<std::uint64_t>(value) * alpha +
                                static_cast<std::uint64_t>(65535) * (65535 - alpha) + 32767;
    return static_cast<WORD>(mixed / 65535);
}

// A sample of `bits` (9..16) widened to 16 bits, the top bits repeated below.
std::uint32_t widen(std::uint16_t sample, int bits) {
    const std::uint32_t value = sample & ((1U << bits) - 1);
    return (value << (16 - bits)) | (value >> (2 * bits - 16));
}

void fillBytes(const PixelRows& rows, FIBITMAP* bitmap, int shownHeight) {
    const int channels = rows.alpha ? 4 : 3;
    // FreeImage keeps the bottom row first.
    std::vector<BYTE*> lines(static_cast<std::size_t>(shownHeight));
    for (int y = 0; y < shownHeight; ++y)
        lines[static_cast<std::size_t>(y)] = FreeImage_GetScanLine(bitmap, shownHeight - 1 - y);
    for (int y = 0; y < rows.height; ++y) {
        const std::uint8_t* source = rows.data + static_cast<std::size_t>(y) * rows.stride;
        for (int x = 0; x < rows.width; ++x, source += channels) {
            int shownX = 0;
            int shownY = 0;
            shownPosition(rows.orientation, x, y, rows.width, rows.height, shownX, shownY);
            BYTE* target = lines[static_cast<std::size_t>(shownY)] + 3 * shownX;
            const BYTE alpha = rows.alpha ? source[3] : 255;
            target[FI_RGBA_RED] = overWhite(source[0], alpha);
            target[FI_RGBA_GREEN] = overWhite(source[1], alpha);
            target[FI_RGBA_BLUE] = overWhite(source[2], alpha);
        }
    }
}

void fillDeep(const PixelRows& rows, FIBITMAP* bitmap, int shownHeight) {
    const int channels = rows.alpha ? 4 : 3;
    for (int y = 0; y < rows.height; ++y) {
        const auto* source = reinterpret_cast<const std::uint16_t*>(
            rows.data + static_cast<std::size_t>(y) * rows.stride);
        for (int x = 0; x < rows.width; ++x, source += channels) {
            int shownX = 0;
            int shownY = 0;
            shownPosition(rows.orientation, x, y, rows.width, rows.height, shownX, shownY);
            auto* line =
                reinterpret_cast<FIRGB16*>(FreeImage_GetScanLine(bitmap, shownHeight - 1 - shownY));
            const std::uint32_t alpha = rows.alpha ? widen(source[3], rows.sampleBits) : 65535;
            line[shownX].red = overWhite16(widen(source[0], rows.sampleBits), alpha);
            line[shownX].green = overWhite16(widen(source[1], rows.sampleBits), alpha);
            line[shownX].blue = overWhite16(widen(source[2], rows.sampleBits), alpha);
        }
    }
}

} // namespace

FIBITMAP* BitmapFromRows(const PixelRows& rows) {
    const bool turned = rows.orientation >= 5 && rows.orientation <= 8;
    const int shownWidth = turned ? rows.height : rows.width;
    const int shownHeight = turned ? rows.width : rows.height;
    const bool deep = rows.sampleBits > 8 && rows.sampleBits <= 16;
    FIBITMAP* bitmap = deep ? FreeImage_AllocateT(FIT_RGB16, shownWidth, shownHeight)
                            : FreeImage_Allocate(shownWidth, shownHeight, 24);
    if (bitmap == nullptr)
        return nullptr;
    if (deep)
        fillDeep(rows, bitmap, shownHeight);
    else
        fillBytes(rows, bitmap, shownHeight);
    FreeImage_SetDotsPerMeterX(bitmap, 0);
    FreeImage_SetDotsPerMeterY(bitmap, 0);
    if (!rows.icc.empty()) {
        auto* data = const_cast<char*>(rows.icc.data()); // FreeImage copies the profile
        if (FreeImage_CreateICCProfile(bitmap, data, static_cast<long>(rows.icc.size())) ==
            nullptr) {
            FreeImage_Unload(bitmap);
            return nullptr;
        }
    }
    return bitmap;
}

} // namespace pw::engine
