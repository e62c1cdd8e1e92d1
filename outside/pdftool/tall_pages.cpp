#include "outside/pdftool/tall_pages.h"

#include "jobfiles/page_layout_text.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace pw::pdftool {

std::vector<PageGeometry> splitPageSlices(int pixelWidth, int pixelHeight, double xDpi, double yDpi,
                                          int orientation, const jobfiles::PageLayout& layout) {
    const auto [shownWidth, shownHeight] =
        shownSize(pixelWidth, pixelHeight, xDpi, yDpi, orientation);
    const jobfiles::PictureSplit split = jobfiles::pictureSplit(shownWidth, shownHeight, layout);
    if (split.scale <= 0.0)
        return {};
    const jobfiles::PaperArea area = jobfiles::tallArea(layout, split.wide);
    const double margin = area.margin;
    const double width = shownWidth * split.scale, height = shownHeight * split.scale;
    // The picture's length along the slices and the area's.
    const double length = split.wide ? width : height;
    const double window = split.wide ? area.width : area.height;
    const double overlap =
        std::clamp(jobfiles::millimetresToPoints(layout.overlapMm), 0.0, window / 2.0);
    const double step = window - overlap;
    // A sliver under a thousandth of a point is no page of its own.
    const auto count = static_cast<int>(1 + std::ceil((length - window) / step - 1e-3));
    std::vector<PageGeometry> pages(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        PageGeometry& page = pages[static_cast<std::size_t>(i)];
        page.width = area.paperWidth;
        page.height = area.paperHeight;
        page.clip = true;
        page.clipBox[0] = margin;
        page.clipBox[1] = margin;
        page.clipBox[2] = area.width;
        page.clipBox[3] = area.height;
        if (split.wide) // the picture's left edge moves left slice by slice
            placeImage(orientation, margin - i * step, margin, width, height, page.matrix);
        else // its top edge moves up
            placeImage(orientation, margin, margin + area.height + i * step - height, width, height,
                       page.matrix);
    }
    return pages;
}

} // namespace pw::pdftool
