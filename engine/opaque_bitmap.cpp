#include "engine/opaque_bitmap.h"

#include "engine/over_white.h"

#include <FreeImage.h>
#include <initializer_list>

namespace pw::engine {
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

} // namespace

FIBITMAP* OpaqueCopy24(FIBITMAP* bitmap, bool fourthByteMayBeUnused) {
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

} // namespace pw::engine
