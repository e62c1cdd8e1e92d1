#include "staging/bitmap_edits.h"

#include <FreeImage.h>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace pw::staging {
namespace {

// FreeImage_Rescale's result, made in bands so that the flag is looked at between them: its
// filter works across, then down (it always does so when making a picture smaller), and each
// pass keeps every row, or every column, apart from the others. So the rows are filtered across
// a band at a time, then the columns down a band at a time, each band by FreeImage_RescaleRect
// on the whole picture (the filter reaches beyond the band's edges as it does in one go).
FIBITMAP* rescaledInBands(FIBITMAP* bitmap, int width, int height, pictures::StopFlag stop) {
    constexpr int kBand = 256;
    const int fromWidth = static_cast<int>(FreeImage_GetWidth(bitmap));
    const int fromHeight = static_cast<int>(FreeImage_GetHeight(bitmap));
    const auto copyRows = [](FIBITMAP* to, FIBITMAP* from, int toRow, int count, int offset) {
        // Rows counted from the bottom; `offset` bytes into each row of `to`.
        const unsigned bytes = FreeImage_GetLine(from);
        for (int row = 0; row < count; ++row)
            std::memcpy(FreeImage_GetScanLine(to, toRow + row) + offset,
                        FreeImage_GetScanLine(from, row), bytes);
    };
    const FREE_IMAGE_TYPE type = FreeImage_GetImageType(bitmap);
    const int bpp = static_cast<int>(FreeImage_GetBPP(bitmap));
    FIBITMAP* across = FreeImage_AllocateT(type, width, fromHeight, bpp);
    FIBITMAP* down = FreeImage_AllocateT(type, width, height, bpp);
    bool made = across != nullptr && down != nullptr;
    for (int top = 0; made && top < fromHeight; top += kBand) {
        const int rows = std::min(kBand, fromHeight - top);
        FIBITMAP* band =
            stop.set() ? nullptr
                       : FreeImage_RescaleRect(bitmap, width, rows, 0, top, fromWidth, top + rows,
                                               FILTER_CATMULLROM, FI_RESCALE_OMIT_METADATA);
        made = band != nullptr;
        if (made)
            copyRows(across, band, fromHeight - top - rows, rows, 0);
        FreeImage_Unload(band);
    }
    const int pixelBytes = bpp / 8;
    for (int left = 0; made && left < width; left += kBand) {
        const int columns = std::min(kBand, width - left);
        FIBITMAP* band =
            stop.set()
                ? nullptr
                : FreeImage_RescaleRect(across, columns, height, left, 0, left + columns,
                                        fromHeight, FILTER_CATMULLROM, FI_RESCALE_OMIT_METADATA);
        made = band != nullptr;
        if (made)
            copyRows(down, band, 0, height, left * pixelBytes);
        FreeImage_Unload(band);
    }
    FreeImage_Unload(across);
    if (!made) {
        FreeImage_Unload(down);
        return nullptr;
    }
    FreeImage_CloneMetadata(down, bitmap);
    return down;
}

} // namespace

void keepIccProfile(FIBITMAP* from, FIBITMAP* to) {
    FIICCPROFILE* profile = FreeImage_GetICCProfile(from);
    if (to == nullptr || profile == nullptr || profile->data == nullptr || profile->size <= 0 ||
        FreeImage_GetICCProfile(to)->data != nullptr)
        return;
    FreeImage_CreateICCProfile(to, profile->data, profile->size);
}

FIBITMAP* reducedCopy(FIBITMAP* bitmap, double scale, pictures::StopFlag stop) {
    const auto side = [scale](unsigned pixels) {
        return std::max(1, static_cast<int>(std::lround(pixels * scale)));
    };
    const unsigned width = FreeImage_GetWidth(bitmap);
    const unsigned height = FreeImage_GetHeight(bitmap);
    // Bands take a copy of each along; a 24-bit picture (all staging scales) gains nothing from
    // them when it is small.
    const bool banded = FreeImage_GetImageType(bitmap) == FIT_BITMAP &&
                        FreeImage_GetBPP(bitmap) == 24 && side(width) < static_cast<int>(width);
    FIBITMAP* reduced =
        banded ? rescaledInBands(bitmap, side(width), side(height), stop)
               : FreeImage_Rescale(bitmap, side(width), side(height), FILTER_CATMULLROM);
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

void setResolution(FIBITMAP* bitmap, const formats::Resolution& resolution) {
    FreeImage_SetDotsPerMeterX(
        bitmap, static_cast<unsigned>(std::lround(resolution.xDpi / formats::kMetresPerInch)));
    FreeImage_SetDotsPerMeterY(
        bitmap, static_cast<unsigned>(std::lround(resolution.yDpi / formats::kMetresPerInch)));
}

} // namespace pw::staging
