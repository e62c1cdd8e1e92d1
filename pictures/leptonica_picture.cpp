#include "pictures/leptonica_picture.h"

// clang-format off
// Leptonica before FreeImage, whose IFF_DEFAULT macro would clash with Leptonica's enumerator.
#include <leptonica/allheaders.h>
#include <FreeImage.h>
// clang-format on
#include <algorithm>
#include <cstring>

namespace pw::pictures {
namespace {

// FreeImage's rows run from the bottom, Leptonica's from the top.
const BYTE* rowFromTop(FIBITMAP* bitmap, unsigned y) {
    return FreeImage_GetScanLine(bitmap, static_cast<int>(FreeImage_GetHeight(bitmap) - 1 - y));
}

unsigned brightness(const RGBQUAD& colour) {
    return 299u * colour.rgbRed + 587u * colour.rgbGreen + 114u * colour.rgbBlue;
}

} // namespace

void PixFree::operator()(Pix* pix) const {
    pixDestroy(&pix);
}

LeptonicaPicture leptonicaPicture(FIBITMAP* bitmap) {
    if (bitmap == nullptr || FreeImage_GetImageType(bitmap) != FIT_BITMAP)
        return nullptr;
    const unsigned depth = FreeImage_GetBPP(bitmap);
    const bool grey = depth == 8 && FreeImage_GetColorType(bitmap) == FIC_MINISBLACK;
    const RGBQUAD* palette = FreeImage_GetPalette(bitmap);
    if ((depth == 1 && palette == nullptr) || (depth != 1 && !grey && depth != 24))
        return nullptr;
    const unsigned width = FreeImage_GetWidth(bitmap);
    const unsigned height = FreeImage_GetHeight(bitmap);
    LeptonicaPicture pix(pixCreate(static_cast<l_int32>(width), static_cast<l_int32>(height),
                                   depth == 24 ? 32 : static_cast<l_int32>(depth)));
    if (!pix)
        return nullptr;
    const int wordsPerRow = pixGetWpl(pix.get());
    const bool invert = depth == 1 && brightness(palette[1]) > brightness(palette[0]);
    for (unsigned y = 0; y < height; ++y) {
        const BYTE* from = rowFromTop(bitmap, y);
        l_uint32* to = pixGetData(pix.get()) + static_cast<std::size_t>(y) * wordsPerRow;
        if (depth == 24) {
            for (unsigned x = 0; x < width; ++x, from += 3)
                composeRGBPixel(from[FI_RGBA_RED], from[FI_RGBA_GREEN], from[FI_RGBA_BLUE], to + x);
            continue;
        }
        // Bytes in FreeImage's order, swapped to Leptonica's below: its words hold their first
        // byte as the most significant.
        auto* bytes = reinterpret_cast<BYTE*>(to);
        const std::size_t rowBytes = (static_cast<std::size_t>(width) * depth + 7) / 8;
        std::memcpy(bytes, from, rowBytes);
        if (invert)
            std::transform(bytes, bytes + rowBytes, bytes,
                           [](BYTE b) { return static_cast<BYTE>(~b); });
    }
    if (depth != 24) {
        pixEndianByteSwap(pix.get());
        pixSetPadBits(pix.get(), 0);
    }
    return pix;
}

} // namespace pw::pictures
