#include "pictures/opaque_bitmap.h"

#include "pictures/over_white.h"

#include <FreeImage.h>
#include <initializer_list>

namespace pw::pictures {
namespace {

bool hasTransparency(FIBITMAP* bitmap) {
    const FREE_IMAGE_TYPE type = FreeImage_GetImageType(bitmap);
    if (type == FIT_RGBA16 || type == FIT_RGBAF)
        return true;
    return type == FIT_BITMAP && FreeImage_IsTransparent(bitmap);
}

bool alphaEverywhereZero(FIBITMAP* rgba, StopFlag stop) {
    const unsigned width = FreeImage_GetWidth(rgba);
    const unsigned height = FreeImage_GetHeight(rgba);
    for (unsigned y = 0; y < height; ++y) {
        if (y % kRowsPerStopCheck == 0 && stop.set())
            return false;
        const BYTE* pixel = FreeImage_GetScanLine(rgba, static_cast<int>(y));
        for (unsigned x = 0; x < width; ++x, pixel += 4) {
            if (pixel[FI_RGBA_ALPHA] != 0)
                return false;
        }
    }
    return true;
}

// Composites in place, keeping alpha at 255 afterwards; false when stopped on the way.
bool layOverWhite(FIBITMAP* rgba, StopFlag stop) {
    const unsigned width = FreeImage_GetWidth(rgba);
    const unsigned height = FreeImage_GetHeight(rgba);
    for (unsigned y = 0; y < height; ++y) {
        if (y % kRowsPerStopCheck == 0 && stop.set())
            return false;
        BYTE* pixel = FreeImage_GetScanLine(rgba, static_cast<int>(y));
        for (unsigned x = 0; x < width; ++x, pixel += 4) {
            const unsigned alpha = pixel[FI_RGBA_ALPHA];
            for (const int channel : {FI_RGBA_RED, FI_RGBA_GREEN, FI_RGBA_BLUE})
                pixel[channel] = overWhite(pixel[channel], alpha);
            pixel[FI_RGBA_ALPHA] = 255;
        }
    }
    return true;
}

// 16-bit gray as 8-bit gray by each sample's high byte, as FreeImage brings 16-bit RGB to 24 bits
// (its own 8-bit conversion of 16-bit gray stretches the picture's range instead).
FIBITMAP* gray8(FIBITMAP* gray16, StopFlag stop) {
    const unsigned width = FreeImage_GetWidth(gray16);
    const unsigned height = FreeImage_GetHeight(gray16);
    FIBITMAP* gray = FreeImage_Allocate(static_cast<int>(width), static_cast<int>(height), 8);
    if (gray == nullptr)
        return nullptr;
    RGBQUAD* palette = FreeImage_GetPalette(gray);
    for (unsigned i = 0; i < 256; ++i)
        palette[i] = {static_cast<BYTE>(i), static_cast<BYTE>(i), static_cast<BYTE>(i), 0};
    for (unsigned y = 0; y < height; ++y) {
        if (y % kRowsPerStopCheck == 0 && stop.set()) {
            FreeImage_Unload(gray);
            return nullptr;
        }
        const auto* in =
            reinterpret_cast<const WORD*>(FreeImage_GetScanLine(gray16, static_cast<int>(y)));
        BYTE* out = FreeImage_GetScanLine(gray, static_cast<int>(y));
        for (unsigned x = 0; x < width; ++x)
            out[x] = static_cast<BYTE>(in[x] >> 8);
    }
    FreeImage_SetDotsPerMeterX(gray, FreeImage_GetDotsPerMeterX(gray16));
    FreeImage_SetDotsPerMeterY(gray, FreeImage_GetDotsPerMeterY(gray16));
    return gray;
}

// FreeImage_ConvertTo24Bits done as it does it, row by row through its own line converters,
// with the flag looked at every few rows; null once it is set.
FIBITMAP* to24Bits(FIBITMAP* bitmap, StopFlag stop) {
    const FREE_IMAGE_TYPE type = FreeImage_GetImageType(bitmap);
    const unsigned bpp = FreeImage_GetBPP(bitmap);
    const bool lines =
        type == FIT_BITMAP && (bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 32);
    if (!lines && type != FIT_RGB16 && type != FIT_RGBA16)
        return FreeImage_ConvertTo24Bits(bitmap); // a clone of a 24-bit one, null for others
    const unsigned width = FreeImage_GetWidth(bitmap);
    const unsigned height = FreeImage_GetHeight(bitmap);
    FIBITMAP* copy = FreeImage_Allocate(static_cast<int>(width), static_cast<int>(height), 24,
                                        FI_RGBA_RED_MASK, FI_RGBA_GREEN_MASK, FI_RGBA_BLUE_MASK);
    if (copy == nullptr)
        return nullptr;
    FreeImage_CloneMetadata(copy, bitmap);
    const bool is565 = FreeImage_GetRedMask(bitmap) == FI16_565_RED_MASK &&
                       FreeImage_GetGreenMask(bitmap) == FI16_565_GREEN_MASK &&
                       FreeImage_GetBlueMask(bitmap) == FI16_565_BLUE_MASK;
    RGBQUAD* palette = FreeImage_GetPalette(bitmap);
    const int pixels = static_cast<int>(width);
    for (unsigned y = 0; y < height; ++y) {
        if (y % kRowsPerStopCheck == 0 && stop.set()) {
            FreeImage_Unload(copy);
            return nullptr;
        }
        BYTE* to = FreeImage_GetScanLine(copy, static_cast<int>(y));
        BYTE* from = FreeImage_GetScanLine(bitmap, static_cast<int>(y));
        if (type != FIT_BITMAP) {
            const auto* words = reinterpret_cast<const WORD*>(from);
            const unsigned step = type == FIT_RGBA16 ? 4 : 3;
            for (unsigned x = 0; x < width; ++x, words += step, to += 3) {
                to[FI_RGBA_RED] = static_cast<BYTE>(words[0] >> 8);
                to[FI_RGBA_GREEN] = static_cast<BYTE>(words[1] >> 8);
                to[FI_RGBA_BLUE] = static_cast<BYTE>(words[2] >> 8);
            }
        } else if (bpp == 1) {
            FreeImage_ConvertLine1To24(to, from, pixels, palette);
        } else if (bpp == 4) {
            FreeImage_ConvertLine4To24(to, from, pixels, palette);
        } else if (bpp == 8) {
            FreeImage_ConvertLine8To24(to, from, pixels, palette);
        } else if (bpp == 16 && is565) {
            FreeImage_ConvertLine16To24_565(to, from, pixels);
        } else if (bpp == 16) {
            FreeImage_ConvertLine16To24_555(to, from, pixels);
        } else {
            FreeImage_ConvertLine32To24(to, from, pixels);
        }
    }
    return copy;
}

} // namespace

FIBITMAP* opaqueCopy24(FIBITMAP* bitmap, bool fourthByteMayBeUnused, StopFlag stop) {
    // FreeImage converts to 24 bits only standard bitmaps and 16-bit RGB(A); one-sample types
    // (16-bit gray scans, float or 32-bit samples) come to 8-bit gray first.
    const FREE_IMAGE_TYPE type = FreeImage_GetImageType(bitmap);
    if (type == FIT_UINT16 || type == FIT_INT16 || type == FIT_UINT32 || type == FIT_INT32 ||
        type == FIT_FLOAT || type == FIT_DOUBLE) {
        FIBITMAP* gray = type == FIT_UINT16 ? gray8(bitmap, stop)
                                            : FreeImage_ConvertToStandardType(bitmap, TRUE);
        FIBITMAP* copy = gray != nullptr ? to24Bits(gray, stop) : nullptr;
        if (gray != nullptr)
            FreeImage_Unload(gray);
        return copy;
    }
    if (!hasTransparency(bitmap))
        return to24Bits(bitmap, stop);
    FIBITMAP* rgba = stop.set() ? nullptr : FreeImage_ConvertTo32Bits(bitmap);
    if (rgba == nullptr)
        return nullptr;
    const bool opaque =
        (fourthByteMayBeUnused && alphaEverywhereZero(rgba, stop)) || layOverWhite(rgba, stop);
    FIBITMAP* copy = opaque && !stop.set() ? to24Bits(rgba, stop) : nullptr;
    FreeImage_Unload(rgba);
    return copy;
}

} // namespace pw::pictures
