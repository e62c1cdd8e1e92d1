#include "staging/grey_pictures.h"

#include <FreeImage.h>

namespace pw::staging {
namespace {

bool neutral(FIBITMAP* bitmap, pictures::StopFlag stop) {
    const unsigned width = FreeImage_GetWidth(bitmap);
    const unsigned height = FreeImage_GetHeight(bitmap);
    for (unsigned y = 0; y < height; ++y) {
        if (y % pictures::kRowsPerStopCheck == 0 && stop.set())
            return false;
        const BYTE* p = FreeImage_GetScanLine(bitmap, static_cast<int>(y));
        for (unsigned x = 0; x < width; ++x, p += 3) {
            if (p[0] != p[1] || p[1] != p[2])
                return false;
        }
    }
    return true;
}

} // namespace

FIBITMAP* neutralGreyCopy(FIBITMAP* bitmap, pictures::StopFlag stop) {
    if (bitmap == nullptr || FreeImage_GetImageType(bitmap) != FIT_BITMAP ||
        FreeImage_GetBPP(bitmap) != 24 || !neutral(bitmap, stop))
        return nullptr;
    const unsigned width = FreeImage_GetWidth(bitmap);
    const unsigned height = FreeImage_GetHeight(bitmap);
    FIBITMAP* grey = FreeImage_Allocate(static_cast<int>(width), static_cast<int>(height), 8);
    if (grey == nullptr)
        return nullptr;
    RGBQUAD* palette = FreeImage_GetPalette(grey);
    for (unsigned i = 0; i < 256; ++i) {
        const auto level = static_cast<BYTE>(i);
        palette[i] = {level, level, level, 0};
    }
    for (unsigned y = 0; y < height; ++y) {
        if (y % pictures::kRowsPerStopCheck == 0 && stop.set()) {
            FreeImage_Unload(grey);
            return nullptr;
        }
        const BYTE* from = FreeImage_GetScanLine(bitmap, static_cast<int>(y));
        BYTE* to = FreeImage_GetScanLine(grey, static_cast<int>(y));
        for (unsigned x = 0; x < width; ++x)
            to[x] = from[3 * x];
    }
    FreeImage_SetDotsPerMeterX(grey, FreeImage_GetDotsPerMeterX(bitmap));
    FreeImage_SetDotsPerMeterY(grey, FreeImage_GetDotsPerMeterY(bitmap));
    FreeImage_CloneMetadata(grey, bitmap);
    return grey;
}

} // namespace pw::staging
