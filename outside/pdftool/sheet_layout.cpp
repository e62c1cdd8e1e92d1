#include "outside/pdftool/sheet_layout.h"

#include "jobfiles/page_layout_text.h"

#include <utility>

namespace pw::pdftool {
namespace {

std::vector<PageGeometry> placements(const std::vector<SheetPicture>& pictures,
                                     const std::vector<ShownSize>& shown,
                                     const jobfiles::PageLayout& layout, bool landscape) {
    const jobfiles::PaperArea paper = jobfiles::paperArea(layout, landscape);
    const int columns = jobfiles::sheetGrid(layout).columns;
    std::vector<PageGeometry> pages(shown.size());
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const int cell = static_cast<int>(i);
        const jobfiles::SheetCell place =
            jobfiles::sheetCell(layout, landscape, cell % columns, cell / columns);
        const double box[4] = {place.x, place.y, place.width, place.height};
        pages[i].width = paper.paperWidth;
        pages[i].height = paper.paperHeight;
        placeInBox(shown[i], box, layout.fit, pictures[i].orientation, pages[i]);
    }
    return pages;
}

// The area of the sheet the pictures cover when each is fitted to its cell.
double coveredArea(const std::vector<ShownSize>& shown, const jobfiles::PageLayout& layout,
                   bool landscape) {
    const jobfiles::SheetCell cell = jobfiles::sheetCell(layout, landscape);
    double area = 0.0;
    for (const ShownSize& picture : shown) {
        const double scale = jobfiles::fittedScale(picture.width, picture.height, cell.width,
                                                   cell.height, jobfiles::Fit::Fit);
        area += picture.width * picture.height * scale * scale;
    }
    return area;
}

} // namespace

std::vector<PageGeometry> sheetPlacements(const std::vector<SheetPicture>& pictures,
                                          const jobfiles::PageLayout& layout) {
    const auto most = static_cast<std::size_t>(jobfiles::sheetGrid(layout).cells());
    std::vector<ShownSize> shown;
    for (std::size_t i = 0; i < pictures.size() && i < most; ++i) {
        const SheetPicture& picture = pictures[i];
        shown.push_back(shownSize(picture.pixelWidth, picture.pixelHeight, picture.xDpi,
                                  picture.yDpi, picture.orientation));
    }
    bool landscape = layout.orientation == jobfiles::Orientation::Landscape;
    if (layout.orientation == jobfiles::Orientation::Automatic)
        landscape = coveredArea(shown, layout, true) > coveredArea(shown, layout, false) * 1.000001;
    return placements(pictures, shown, layout, landscape);
}

} // namespace pw::pdftool
