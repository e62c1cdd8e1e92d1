#include "staging/bitmap_edits.h"

#include <FreeImage.h>
#include <algorithm>
#include <cmath>

namespace pw::staging {

void KeepIccProfile(FIBITMAP* from, FIBITMAP* to) {
    FIICCPROFILE* profile = FreeImage_GetICCProfile(from);
    if (to == nullptr || profile == nullptr || profile->data == nullptr || profile->size <= 0 ||
        FreeImage_GetICCProfile(to)->data != nullptr)
        return;
    FreeImage_CreateICCProfile(to, profile->data, profile->size);
}

FIBITMAP* ReducedCopy(FIBITMAP* bitmap, double scale) {
    const auto side = [scale](unsigned pixels) {
        return std::max(1, static_cast<int>(std::lround(pixels * scale)));
    };
    const unsigned width = FreeImage_GetWidth(bitmap);
    const unsigned height = FreeImage_GetHeight(bitmap);
    FIBITMAP* reduced = FreeImage_Rescale(bitmap, side(width), side(height), FILTER_CATMULLROM);
    if (reduced == nullptr)
        return nullptr;
    FreeImage_CloneMetadata(reduced, bitmap); // with the resolution, set below
    // The page keeps its size: the resolution goes down with the pixels, each way.
    const double across = static_cast<double>(FreeImage_GetWidth(reduced)) / width;
    const double down = static_cast<double>(FreeImage_GetHeight(reduced)) / height;
    FreeImage_SetDotsPerMeterX(
        reduced, static_cast<unsigned>(std::lround(FreeImage_GetDotsPerMeterX(bitmap) * across)));
    FreeImage_SetDotsPerMeterY(
        reduced, static_cast<unsigned>(std::lround(FreeImage_GetDotsPerMeterY(bitmap) * down)));
    const FIICCPROFILE* profile = FreeImage_GetICCProfile(bitmap);
    if (profile != nullptr && profile->data != nullptr && profile->size > 0)
        FreeImage_CreateICCProfile(reduced, profile->data, profile->size);
    return reduced;
}

void SetResolution(FIBITMAP* bitmap, const formats::Resolution& resolution) {
    FreeImage_SetDotsPerMeterX(
        bitmap, static_cast<unsigned>(std::lround(resolution.xDpi / formats::kMetresPerInch)));
    FreeImage_SetDotsPerMeterY(
        bitmap, static_cast<unsigned>(std::lround(resolution.yDpi / formats::kMetresPerInch)));
}

} // namespace pw::staging
