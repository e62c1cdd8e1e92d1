#include "engine/resolution_ceiling.h"

#include "engine/picture_resolution.h"
#include "engine/picture_staging.h"
#include "formats/jpeg_info.h"
#include "jobfiles/page_layout_text.h"

#include <FreeImage.h>
#include <algorithm>
#include <cmath>
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
                                     const JobOptions& options, std::string* problem) {
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
    return DecodeAndSave(narrowSource, "jpg", target, problem, [&](FIBITMAP* bitmap) {
        SetResolution(bitmap, own);
        return SaveStagedBitmap(bitmap, narrowSource, target, options.quality, scale);
    });
}

} // namespace pw::engine
