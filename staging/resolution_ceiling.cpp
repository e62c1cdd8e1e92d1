#include "staging/resolution_ceiling.h"

#include "formats/jpeg_info.h"
#include "jobfiles/page_layout_text.h"
#include "pictures/picture_resolution.h"
#include "staging/bitmap_edits.h"
#include "staging/picture_files.h"

#include <FreeImage.h>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

namespace pw::staging {
namespace {

formats::Resolution orDefault(const formats::Resolution& resolution) {
    return resolution.stated() ? resolution
                               : formats::Resolution{formats::kDefaultDpi, formats::kDefaultDpi};
}

// Points on the page per point of the picture at its own resolution: 1 on a page of its own
// size; on paper the scale the builder's layout gives it (the same rules as its page
// geometry, its slices of tall and wide pictures and its cell on a shared sheet).
double pageScale(double shownWidth, double shownHeight, const jobfiles::PageLayout& layout) {
    if (layout.size == jobfiles::PageSize::Picture)
        return 1.0;
    if (jobfiles::sharesSheets(layout)) {
        // The sheet's turn depends on its other pictures: judged in the cell that shows this
        // one larger, so that no picture loses more than it must.
        double scale = 0.0;
        for (const bool landscape : {false, true}) {
            if (layout.orientation ==
                (landscape ? jobfiles::Orientation::Portrait : jobfiles::Orientation::Landscape))
                continue;
            const jobfiles::SheetCell cell = jobfiles::sheetCell(layout, landscape);
            scale = std::max(scale, jobfiles::fittedScale(shownWidth, shownHeight, cell.width,
                                                          cell.height, layout.fit));
        }
        return scale;
    }
    if (const jobfiles::PictureSplit split =
            jobfiles::pictureSplit(shownWidth, shownHeight, layout);
        split.scale > 0.0)
        return split.scale; // laid over several pages at the area's width or height
    const jobfiles::PaperArea area =
        jobfiles::paperArea(layout, jobfiles::landscapePage(layout, shownWidth, shownHeight));
    return jobfiles::fittedScale(shownWidth, shownHeight, area.width, area.height, layout.fit);
}

} // namespace

double ceilingScale(std::uint32_t width, std::uint32_t height,
                    const formats::Resolution& resolution, const jobfiles::JobOptions& options,
                    bool turned) {
    if (options.maxDpi <= 0 || options.lossless || width == 0 || height == 0)
        return 1.0;
    const formats::Resolution own = orDefault(resolution);
    double shownWidth = width * 72.0 / own.xDpi;
    double shownHeight = height * 72.0 / own.yDpi;
    if (turned)
        std::swap(shownWidth, shownHeight);
    const double scale = pageScale(shownWidth, shownHeight, options.page);
    const double densest = std::max(own.xDpi, own.yDpi) / scale;
    return densest > options.maxDpi ? options.maxDpi / densest : 1.0;
}

formats::Resolution stagedResolution(FIBITMAP* bitmap, const pictures::PictureFile& source) {
    if (const std::optional<formats::Resolution> exact =
            pictures::metricResolution(source.file, source.kind))
        return orDefault(*exact);
    return orDefault({FreeImage_GetDotsPerMeterX(bitmap) * formats::kMetresPerInch,
                      FreeImage_GetDotsPerMeterY(bitmap) * formats::kMetresPerInch});
}

std::optional<bool> stageReducedJpeg(const pictures::PictureFile& source, const std::string& target,
                                     const jobfiles::JobOptions& options, std::string* problem,
                                     pictures::StopFlag stop) {
    if (options.maxDpi <= 0 || options.lossless)
        return std::nullopt;
    std::string reason;
    const std::optional<formats::JpegInfo> info =
        formats::readJpegInfo(source.file.stream(), source.file.size(), reason);
    if (!info)
        return std::nullopt;
    // The resolution the builder would give the page, from JFIF or EXIF.
    const formats::Resolution own = orDefault({info->xDpi, info->yDpi});
    const double scale = ceilingScale(static_cast<std::uint32_t>(info->width),
                                      static_cast<std::uint32_t>(info->height), own, options,
                                      info->orientation >= 5);
    if (scale >= 1.0)
        return std::nullopt;
    return decodeAndSave(
        source, "jpg", target, problem,
        [&](FIBITMAP* bitmap) {
            setResolution(bitmap, own);
            return saveStagedBitmap(bitmap, source, target, options.quality, scale, stop,
                                    greyToleranceFor(options));
        },
        stop);
}

} // namespace pw::staging
