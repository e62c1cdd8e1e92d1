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

bool alphaEverywhereZero(FIBITMAP* rgba) {
    const unsigned width = FreeImage_GetWidth(rgba);
    const unsigned height = FreeImage_GetHeight(rgba);
    for (unsigned y = 0; y < height; ++y) {
        const BYTE* pixel = FreeImage_GetScanLine(rgba, static_cast<int>(y));
        for (unsigned x = 0; x < width; ++x, pixel += 4) {
            if (pixel[FI_RGBA_ALPHA] != 0)
                return false;
        }
    }
    return true;
}

// Composites in place, keeping alpha at 255 afterwards.
void layOverWhite(FIBITMAP* rgba) {
    const unsigned width = FreeImage_GetWidth(rgba);
    const unsigned height = FreeImage_GetHeight(rgba);
    for (unsigned y = 0; y < height; ++y) {
        BYTE* pixel = FreeImage_GetScanLine(rgba, static_cast<int>(y));
        for (unsigned x = 0; x < width; ++x, pixel += 4) {
            const unsigned alpha = pixel[FI_RGBA_ALPHA];
            for (const int channel : {FI_RGBA_RED, FI_RGBA_GREEN, FI_RGBA_BLUE})
                pixel[channel] = OverWhite(pixel[channel], alpha);
            pixel[FI_RGBA_ALPHA] = 255;
        }
    }
}

// 16-bit gray as 8-bit gray by each sample's high byte, as FreeImage brings 16-bit RGB to 24 bits
// (its own 8-bit conversion of 16-bit gray stretches the picture's range instead).
FIBITMAP* gray8(FIBITMAP* gray16) {
    const unsigned width = FreeImage_GetWidth(gray16);
    const unsigned height = FreeImage_GetHeight(gray16);
    FIBITMAP* gray = FreeImage_Allocate(static_cast<int>(width), static_cast<int>(height), 8);
    if (gray == nullptr)
        return nullptr;
    RGBQUAD* palette = FreeImage_GetPalette(gray);
    for (unsigned i = 0; i < 256; ++i)
        palette[i] = {static_cast<BYTE>(i), static_cast<BYTE>(i), static_cast<BYTE>(i), 0};
    for (unsigned y = 0; y < height; ++y) {
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

} // namespace

FIBITMAP* OpaqueCopy24(FIBITMAP* bitmap, bool fourthByteMayBeUnused) {
    // FreeImage converts to 24 bits only standard bitmaps and 16-bit RGB(A); one-sample types
    // (16-bit gray scans, float or 32-bit samples) come to 8-bit gray first.
    const FREE_IMAGE_TYPE type = FreeImage_GetImageType(bitmap);
    if (type == FIT_UINT16 || type == FIT_INT16 || type == FIT_UINT32 || type == FIT_INT32 ||
        type == FIT_FLOAT || type == FIT_DOUBLE) {
        FIBITMAP* gray =
            type == FIT_UINT16 ? gray8(bitmap) : FreeImage_ConvertToStandardType(bitmap, TRUE);
        FIBITMAP* copy = gray != nullptr ? FreeImage_ConvertTo24Bits(gray) : nullptr;
        if (gray != nullptr)
            FreeImage_Unload(gray);
        return copy;
    }
    if (!hasTransparency(bitmap))
        return FreeImage_ConvertTo24Bits(bitmap);
    FIBITMAP* rgba = FreeImage_ConvertTo32Bits(bitmap);
    if (rgba == nullptr)
        return nullptr;
    if (!fourthByteMayBeUnused || !alphaEverywhereZero(rgba))
        layOverWhite(rgba);
    FIBITMAP* copy = FreeImage_ConvertTo24Bits(rgba);
    FreeImage_Unload(rgba);
    return copy;
}

} // namespace pw::pictures
