#include "outside/pdftool/tall_pages.h"

#include "jobfiles/page_layout_text.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace pw::pdftool {

std::vector<PageGeometry> tallPageSlices(int pixelWidth, int pixelHeight, double xDpi, double yDpi,
                                         int orientation, const engine::PageLayout& layout) {
    if (!layout.splitTall || layout.size == engine::PageSize::Picture)
        return {};
    if (!(xDpi > 0.0) || !(yDpi > 0.0) || !std::isfinite(xDpi) || !std::isfinite(yDpi))
        xDpi = yDpi = kDefaultDpi;
    const bool turned = orientation >= 5 && orientation <= 8;
    const double storedWidth = std::max(pixelWidth, 1) * 72.0 / xDpi;
    const double storedHeight = std::max(pixelHeight, 1) * 72.0 / yDpi;
    const double shownWidth = turned ? storedHeight : storedWidth;
    const double shownHeight = turned ? storedWidth : storedHeight;

    const double scale = engine::tallSplitScale(shownWidth, shownHeight, layout);
    if (scale <= 0.0)
        return {};
    const engine::TallArea area = engine::tallArea(layout);
    const double width = area.paperWidth, height = area.paperHeight, margin = area.margin;
    const double areaWidth = area.width, areaHeight = area.height;
    const double shown = shownHeight * scale; // its height at the area's width
    const double overlap =
        std::clamp(engine::millimetresToPoints(layout.overlapMm), 0.0, areaHeight / 2.0);
    const double step = areaHeight - overlap;
    // A sliver under a thousandth of a point is no page of its own.
    const auto count = static_cast<int>(1 + std::ceil((shown - areaHeight) / step - 1e-3));
    std::vector<PageGeometry> pages(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        PageGeometry& page = pages[static_cast<std::size_t>(i)];
        page.width = width;
        page.height = height;
        page.clip = true;
        page.clipBox[0] = margin;
        page.clipBox[1] = margin;
        page.clipBox[2] = areaWidth;
        page.clipBox[3] = areaHeight;
        const double top = margin + areaHeight + i * step; // the picture's top edge
        placeImage(orientation, margin, top - shown, areaWidth, shown, page.matrix);
    }
    return pages;
}

} // namespace pw::pdftool
