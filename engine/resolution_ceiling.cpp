#include "engine/resolution_ceiling.h"

#include "engine/picture_resolution.h"
#include "engine/picture_staging.h"
#include "formats/jpeg_info.h"
#include "jobfiles/page_layout_text.h"

#include <FreeImage.h>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

namespace pw::engine {
namespace {

Resolution orDefault(const Resolution& resolution) {
    return resolution.stated() ? resolution : Resolution{kDefaultDpi, kDefaultDpi};
}

// Points on the page per point of the picture at its own resolution: 1 on a page of its own
// size; on paper the scale the builder's layout gives it (the same rules as its page
// geometry, its slices of tall and wide pictures and its cell on a shared sheet).
double pageScale(double shownWidth, double shownHeight, const PageLayout& layout) {
    if (layout.size == PageSize::Picture)
        return 1.0;
    if (sharesSheets(layout)) {
        // The sheet's turn depends on its other pictures: judged in the cell that shows this
        // one larger, so that no picture loses more than it must.
        double scale = 0.0;
        for (const bool landscape : {false, true}) {
            if (layout.orientation == (landscape ? Orientation::Portrait : Orientation::Landscape))
                continue;
            const SheetCell cell = sheetCell(layout, landscape);
            scale = std::max(
                scale, fittedScale(shownWidth, shownHeight, cell.width, cell.height, layout.fit));
        }
        return scale;
    }
    if (const PictureSplit split = pictureSplit(shownWidth, shownHeight, layout); split.scale > 0.0)
        return split.scale; // laid over several pages at the area's width or height
    const PaperArea area = paperArea(layout, landscapePage(layout, shownWidth, shownHeight));
    return fittedScale(shownWidth, shownHeight, area.width, area.height, layout.fit);
}

// FreeImage_Rescale's result, made in bands so that the flag is looked at between them: its
// filter works across, then down (it always does so when making a picture smaller), and each
// pass keeps every row, or every column, apart from the others. So the rows are filtered across
// a band at a time, then the columns down a band at a time, each band by FreeImage_RescaleRect
// on the whole picture (the filter reaches beyond the band's edges as it does in one go).
FIBITMAP* rescaledInBands(FIBITMAP* bitmap, int width, int height, StopFlag stop) {
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

double CeilingScale(std::uint32_t width, std::uint32_t height, const Resolution& resolution,
                    const JobOptions& options, bool turned) {
    if (options.maxDpi <= 0 || options.lossless || width == 0 || height == 0)
        return 1.0;
    const Resolution own = orDefault(resolution);
    double shownWidth = width * 72.0 / own.xDpi;
    double shownHeight = height * 72.0 / own.yDpi;
    if (turned)
        std::swap(shownWidth, shownHeight);
    const double scale = pageScale(shownWidth, shownHeight, options.page);
    const double densest = std::max(own.xDpi, own.yDpi) / scale;
    return densest > options.maxDpi ? options.maxDpi / densest : 1.0;
}

FIBITMAP* ReducedCopy(FIBITMAP* bitmap, double scale, StopFlag stop) {
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

Resolution StagedResolution(FIBITMAP* bitmap, const std::string& narrowSource) {
    if (const std::optional<Resolution> exact = MetricResolution(narrowSource))
        return orDefault(*exact);
    return orDefault({FreeImage_GetDotsPerMeterX(bitmap) * kMetresPerInch,
                      FreeImage_GetDotsPerMeterY(bitmap) * kMetresPerInch});
}

void SetResolution(FIBITMAP* bitmap, const Resolution& resolution) {
    FreeImage_SetDotsPerMeterX(
        bitmap, static_cast<unsigned>(std::lround(resolution.xDpi / kMetresPerInch)));
    FreeImage_SetDotsPerMeterY(
        bitmap, static_cast<unsigned>(std::lround(resolution.yDpi / kMetresPerInch)));
}

std::optional<bool> StageReducedJpeg(const std::string& narrowSource, const std::string& target,
                                     const JobOptions& options, std::string* problem,
                                     StopFlag stop) {
    if (options.maxDpi <= 0 || options.lossless)
        return std::nullopt;
    std::string reason;
    const std::optional<pdftool::JpegInfo> info = pdftool::readJpegInfo(narrowSource, reason);
    if (!info)
        return std::nullopt;
    // The resolution the builder would give the page, from JFIF or EXIF.
    const Resolution own = orDefault({info->xDpi, info->yDpi});
    const double scale = CeilingScale(static_cast<std::uint32_t>(info->width),
                                      static_cast<std::uint32_t>(info->height), own, options,
                                      info->orientation >= 5);
    if (scale >= 1.0)
        return std::nullopt;
    return DecodeAndSave(
        narrowSource, "jpg", target, problem,
        [&](FIBITMAP* bitmap) {
            SetResolution(bitmap, own);
            return SaveStagedBitmap(bitmap, narrowSource, target, options.quality, scale, stop);
        },
        stop);
}

} // namespace pw::engine
