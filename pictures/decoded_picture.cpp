#include "pictures/decoded_picture.h"

#include "pictures/over_white.h"

#include <FreeImage.h>

namespace pw::pictures {

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

namespace {

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

// True when every alpha sample is at its maximum, so the picture needs no alpha channel.
bool opaque(const PixelRows& rows) {
    if (!rows.alpha)
        return true;
    const bool deep = rows.sampleBits > 8;
    const std::uint32_t full = deep ? (1U << rows.sampleBits) - 1 : 255;
    for (int y = 0; y < rows.height; ++y) {
        if (y % kRowsPerStopCheck == 0 && rows.stop.set())
            return true; // no bitmap is made
        const std::uint8_t* row = rows.data + static_cast<std::size_t>(y) * rows.stride;
        for (int x = 0; x < rows.width; ++x) {
            const std::uint32_t alpha =
                deep ? reinterpret_cast<const std::uint16_t*>(row)[4 * x + 3] : row[4 * x + 3];
            if (alpha < full)
                return false;
        }
    }
    return true;
}

// Writes the rows into `bitmap` (24 or 32 bits a pixel) as shown; without an alpha channel in
// the bitmap, alpha is laid over white. False when stopped on the way.
bool fillBytes(const PixelRows& rows, FIBITMAP* bitmap, int shownHeight) {
    const int channels = rows.alpha ? 4 : 3;
    const int step = static_cast<int>(FreeImage_GetBPP(bitmap) / 8);
    const bool keepAlpha = step == 4;
    for (int y = 0; y < rows.height; ++y) {
        if (y % kRowsPerStopCheck == 0 && rows.stop.set())
            return false;
        const std::uint8_t* source = rows.data + static_cast<std::size_t>(y) * rows.stride;
        for (int x = 0; x < rows.width; ++x, source += channels) {
            int shownX = 0;
            int shownY = 0;
            shownPosition(rows.orientation, x, y, rows.width, rows.height, shownX, shownY);
            // FreeImage keeps the bottom row first.
            BYTE* target = FreeImage_GetScanLine(bitmap, shownHeight - 1 - shownY) + step * shownX;
            const BYTE alpha = rows.alpha ? source[3] : 255;
            if (keepAlpha) {
                target[FI_RGBA_RED] = source[0];
                target[FI_RGBA_GREEN] = source[1];
                target[FI_RGBA_BLUE] = source[2];
                target[FI_RGBA_ALPHA] = alpha;
            } else {
                target[FI_RGBA_RED] = overWhite(source[0], alpha);
                target[FI_RGBA_GREEN] = overWhite(source[1], alpha);
                target[FI_RGBA_BLUE] = overWhite(source[2], alpha);
            }
        }
    }
    return true;
}

// The same for 16-bit samples into a FIT_RGB16 or FIT_RGBA16 bitmap.
bool fillDeep(const PixelRows& rows, FIBITMAP* bitmap, int shownHeight) {
    const int channels = rows.alpha ? 4 : 3;
    const bool keepAlpha = FreeImage_GetImageType(bitmap) == FIT_RGBA16;
    for (int y = 0; y < rows.height; ++y) {
        if (y % kRowsPerStopCheck == 0 && rows.stop.set())
            return false;
        const auto* source = reinterpret_cast<const std::uint16_t*>(
            rows.data + static_cast<std::size_t>(y) * rows.stride);
        for (int x = 0; x < rows.width; ++x, source += channels) {
            int shownX = 0;
            int shownY = 0;
            shownPosition(rows.orientation, x, y, rows.width, rows.height, shownX, shownY);
            BYTE* line = FreeImage_GetScanLine(bitmap, shownHeight - 1 - shownY);
            const std::uint32_t red = widen(source[0], rows.sampleBits);
            const std::uint32_t green = widen(source[1], rows.sampleBits);
            const std::uint32_t blue = widen(source[2], rows.sampleBits);
            const std::uint32_t alpha = rows.alpha ? widen(source[3], rows.sampleBits) : 65535;
            if (keepAlpha) {
                auto& pixel = reinterpret_cast<FIRGBA16*>(line)[shownX];
                pixel = {static_cast<WORD>(red), static_cast<WORD>(green), static_cast<WORD>(blue),
                         static_cast<WORD>(alpha)};
            } else {
                auto& pixel = reinterpret_cast<FIRGB16*>(line)[shownX];
                pixel = {overWhite16(red, alpha), overWhite16(green, alpha),
                         overWhite16(blue, alpha)};
            }
        }
    }
    return true;
}

} // namespace

FIBITMAP* bitmapFromRows(const PixelRows& rows) {
    const bool turned = rows.orientation >= 5 && rows.orientation <= 8;
    const int shownWidth = turned ? rows.height : rows.width;
    const int shownHeight = turned ? rows.width : rows.height;
    const bool deep = rows.sampleBits > 8 && rows.sampleBits <= 16;
    const bool alpha = !opaque(rows);
    if (rows.stop.set())
        return nullptr;
    FIBITMAP* bitmap =
        deep ? FreeImage_AllocateT(alpha ? FIT_RGBA16 : FIT_RGB16, shownWidth, shownHeight)
             : FreeImage_Allocate(shownWidth, shownHeight, alpha ? 32 : 24, FI_RGBA_RED_MASK,
                                  FI_RGBA_GREEN_MASK, FI_RGBA_BLUE_MASK);
    if (bitmap == nullptr)
        return nullptr;
    if (!(deep ? fillDeep(rows, bitmap, shownHeight) : fillBytes(rows, bitmap, shownHeight))) {
        FreeImage_Unload(bitmap);
        return nullptr;
    }
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

} // namespace pw::pictures
