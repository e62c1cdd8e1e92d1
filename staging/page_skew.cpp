#include "staging/page_skew.h"

#include "pictures/bitmap.h"
#include "pictures/leptonica_picture.h"
#include "pictures/opaque_bitmap.h"
#include "staging/bitmap_edits.h"

// clang-format off
// Leptonica before FreeImage, whose IFF_DEFAULT macro would clash with Leptonica's enumerator.
#include <leptonica/allheaders.h>
#include <FreeImage.h>
// clang-format on
#include <algorithm>
#include <cmath>
#include <numbers>

namespace pw::staging {
namespace {

using Pix = pictures::LeptonicaPicture;

using pictures::Bitmap;

// FreeImage's rows run from the bottom, Leptonica's from the top.
BYTE* rowFromTop(FIBITMAP* bitmap, unsigned y) {
    return FreeImage_GetScanLine(bitmap, static_cast<int>(FreeImage_GetHeight(bitmap) - 1 - y));
}

// A 1-bit bitmap of black and white (either first); other two colours are turned as colour.
bool blackAndWhite(FIBITMAP* bitmap) {
    if (FreeImage_GetImageType(bitmap) != FIT_BITMAP || FreeImage_GetBPP(bitmap) != 1)
        return false;
    const RGBQUAD* palette = FreeImage_GetPalette(bitmap);
    const auto level = [](const RGBQUAD& colour) {
        return colour.rgbRed == colour.rgbGreen && colour.rgbGreen == colour.rgbBlue &&
               (colour.rgbRed == 0 || colour.rgbRed == 255);
    };
    return palette != nullptr && level(palette[0]) && level(palette[1]) &&
           palette[0].rgbRed != palette[1].rgbRed;
}

bool greyScale(FIBITMAP* bitmap) {
    return FreeImage_GetImageType(bitmap) == FIT_BITMAP && FreeImage_GetBPP(bitmap) == 8 &&
           FreeImage_GetColorType(bitmap) == FIC_MINISBLACK;
}

// The Pix back as a bitmap of `like`'s kind, with its resolution, metadata and profile.
Bitmap bitmapOf(PIX* pix, FIBITMAP* like) {
    const auto width = static_cast<unsigned>(pixGetWidth(pix));
    const auto height = static_cast<unsigned>(pixGetHeight(pix));
    const int depth = pixGetDepth(pix);
    Bitmap bitmap(FreeImage_Allocate(static_cast<int>(width), static_cast<int>(height),
                                     depth == 32 ? 24 : depth));
    if (!bitmap)
        return {};
    if (depth == 1) {
        RGBQUAD* palette = FreeImage_GetPalette(bitmap.get());
        palette[0] = {255, 255, 255, 0}; // Leptonica's 0 is white
        palette[1] = {0, 0, 0, 0};
        pixEndianByteSwap(pix);
        const unsigned bytes = (width + 7) / 8;
        for (unsigned y = 0; y < height; ++y) {
            const auto* from = reinterpret_cast<const BYTE*>(pixGetData(pix) + y * pixGetWpl(pix));
            std::copy(from, from + bytes, rowFromTop(bitmap.get(), y));
        }
        pixEndianByteSwap(pix);
    } else if (depth == 8) {
        RGBQUAD* palette = FreeImage_GetPalette(bitmap.get());
        for (unsigned i = 0; i < 256; ++i) {
            const auto level = static_cast<BYTE>(i);
            palette[i] = {level, level, level, 0};
        }
        for (unsigned y = 0; y < height; ++y) {
            const l_uint32* from = pixGetData(pix) + y * pixGetWpl(pix);
            BYTE* to = rowFromTop(bitmap.get(), y);
            for (unsigned x = 0; x < width; ++x)
                to[x] = static_cast<BYTE>(GET_DATA_BYTE(from, x));
        }
    } else {
        for (unsigned y = 0; y < height; ++y) {
            const l_uint32* from = pixGetData(pix) + y * pixGetWpl(pix);
            BYTE* to = rowFromTop(bitmap.get(), y);
            for (unsigned x = 0; x < width; ++x, to += 3) {
                l_int32 red = 0;
                l_int32 green = 0;
                l_int32 blue = 0;
                extractRGBValues(from[x], &red, &green, &blue);
                to[FI_RGBA_RED] = static_cast<BYTE>(red);
                to[FI_RGBA_GREEN] = static_cast<BYTE>(green);
                to[FI_RGBA_BLUE] = static_cast<BYTE>(blue);
            }
        }
    }
    FreeImage_SetDotsPerMeterX(bitmap.get(), FreeImage_GetDotsPerMeterX(like));
    FreeImage_SetDotsPerMeterY(bitmap.get(), FreeImage_GetDotsPerMeterY(like));
    FreeImage_CloneMetadata(bitmap.get(), like);
    keepIccProfile(like, bitmap.get());
    return bitmap;
}

// The bitmap as a Pix of the same kind: 1-bit, 8-bit gray, else 32-bit colour (through an
// opaque 24-bit copy).
Pix pixOf(FIBITMAP* bitmap, pictures::StopFlag stop) {
    if (blackAndWhite(bitmap) || greyScale(bitmap) ||
        (FreeImage_GetImageType(bitmap) == FIT_BITMAP && FreeImage_GetBPP(bitmap) == 24))
        return pictures::leptonicaPicture(bitmap);
    const Bitmap opaque = pictures::opaqueCopy24(bitmap, false, stop);
    return opaque ? pictures::leptonicaPicture(opaque.get()) : nullptr;
}

} // namespace

double pageSkew(FIBITMAP* bitmap) {
    if (bitmap == nullptr)
        return 0.0;
    Pix pix;
    if (blackAndWhite(bitmap)) {
        pix = pictures::leptonicaPicture(bitmap);
    } else {
        // Lines are found on the page made black and white at mid gray.
        const Bitmap standard(FreeImage_GetImageType(bitmap) == FIT_BITMAP
                                  ? nullptr
                                  : FreeImage_ConvertToStandardType(bitmap, TRUE));
        const Bitmap grey(FreeImage_ConvertToGreyscale(standard ? standard.get() : bitmap));
        if (!grey)
            return 0.0;
        const Pix eight = pictures::leptonicaPicture(grey.get());
        if (eight)
            pix.reset(pixConvertTo1(eight.get(), 128));
    }
    if (!pix)
        return 0.0;
    // Sweeps within 7 degrees either way of level and of upright (a page stored sideways),
    // at a quarter of the size, then searches at half the size to a hundredth of a degree.
    l_float32 angle = 0.0f;
    l_float32 confidence = 0.0f;
    if (pixFindSkewOrthogonalRange(pix.get(), &angle, &confidence, 4, 2, 7.0f, 1.0f, 0.01f, 1.5f) !=
        0)
        return 0.0;
    const double skew = angle - 90.0 * std::round(angle / 90.0);
    // Leptonica's own least confidence for a deskew.
    if (confidence < 3.0f || std::abs(skew) < kLeastSkew)
        return 0.0;
    return skew;
}

Bitmap straightenedCopy(FIBITMAP* bitmap, double degrees, pictures::StopFlag stop,
                        int orientation) {
    if (bitmap == nullptr || stop.set())
        return {};
    const Pix pix = pixOf(bitmap, stop);
    if (!pix || stop.set())
        return {};
    // Area mapping for gray and colour; black and white is turned by shears, so it stays so.
    const Pix turned(pixRotate(
        pix.get(), static_cast<l_float32>(degrees * std::numbers::pi / 180.0),
        pixGetDepth(pix.get()) == 1 ? L_ROTATE_SHEAR : L_ROTATE_AREA_MAP, L_BRING_IN_WHITE, 0, 0));
    if (!turned || stop.set())
        return {};
    // EXIF 2, 4, 5 and 7 mirror left to right first; 3, 4 turn twice, 6, 7 once clockwise, 5, 8
    // three times.
    static constexpr int kMirrored[9] = {0, 0, 1, 0, 1, 1, 0, 1, 0};
    static constexpr int kQuarters[9] = {0, 0, 0, 2, 2, 3, 1, 1, 3};
    const int exif = orientation >= 1 && orientation <= 8 ? orientation : 1;
    Pix shown(kMirrored[exif] != 0 ? pixFlipLR(nullptr, turned.get()) : pixClone(turned.get()));
    if (shown && kQuarters[exif] != 0)
        shown.reset(pixRotateOrth(shown.get(), kQuarters[exif]));
    if (!shown)
        return {};
    return bitmapOf(shown.get(), bitmap);
}

} // namespace pw::staging
