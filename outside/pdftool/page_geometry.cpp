#include "outside/pdftool/page_geometry.h"

#include "jobfiles/page_layout_text.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <utility>

namespace pw::pdftool {
namespace {

// Rounds up to 1/10000 so that dividing by the unit never exceeds the limit.
double roundUnitUp(double unit) {
    return std::ceil(unit * 10000.0) / 10000.0;
}

} // namespace

void placeImage(int orientation, double x, double y, double w, double h, double* out) {
    double m[6] = {w, 0, 0, h, 0, 0};
    switch (orientation) {
    case 2: // mirrored left to right
        m[0] = -w, m[3] = h, m[4] = w;
        break;
    case 3: // turned half way
        m[0] = -w, m[3] = -h, m[4] = w, m[5] = h;
        break;
    case 4: // mirrored top to bottom
        m[0] = w, m[3] = -h, m[5] = h;
        break;
    case 5: // mirrored across the main diagonal
        m[0] = 0, m[1] = -h, m[2] = -w, m[3] = 0, m[4] = w, m[5] = h;
        break;
    case 6: // turned a quarter clockwise
        m[0] = 0, m[1] = -h, m[2] = w, m[3] = 0, m[5] = h;
        break;
    case 7: // mirrored across the other diagonal
        m[0] = 0, m[1] = h, m[2] = w, m[3] = 0;
        break;
    case 8: // turned a quarter anticlockwise
        m[0] = 0, m[1] = h, m[2] = -w, m[3] = 0, m[4] = w;
        break;
    default:
        break;
    }
    m[4] += x;
    m[5] += y;
    std::copy(std::begin(m), std::end(m), out);
}

namespace {

// Each orientation as a mirror left to right (or none) followed by quarter turns clockwise.
struct Placement {
    bool mirrored;
    int quarters;
};
constexpr Placement kPlacements[9] = {{false, 0}, {false, 0}, {true, 0}, {false, 2}, {true, 2},
                                      {true, 3},  {false, 1}, {true, 1}, {false, 3}};

PageGeometry pictureSizedPage(double shownWidth, double shownHeight, double margin,
                              int orientation) {
    double pageWidth = shownWidth + 2.0 * margin;
    double pageHeight = shownHeight + 2.0 * margin;
    PageGeometry page;
    const double longest = std::max(pageWidth, pageHeight);
    if (longest > kMaxPageSide) {
        page.userUnit = roundUnitUp(longest / kMaxPageSide);
        pageWidth /= page.userUnit;
        pageHeight /= page.userUnit;
        shownWidth /= page.userUnit;
        shownHeight /= page.userUnit;
    }
    const double shortest = std::min(pageWidth, pageHeight);
    if (shortest < kMinPageSide) {
        const double grow =
            std::min(kMinPageSide / shortest, kMaxPageSide / std::max(pageWidth, pageHeight));
        pageWidth *= grow;
        pageHeight *= grow;
        shownWidth *= grow;
        shownHeight *= grow;
    }
    page.width = std::clamp(pageWidth, kMinPageSide, kMaxPageSide);
    page.height = std::clamp(pageHeight, kMinPageSide, kMaxPageSide);
    const double w = std::min(shownWidth, page.width);
    const double h = std::min(shownHeight, page.height);
    placeImage(orientation, (page.width - w) / 2.0, (page.height - h) / 2.0, w, h, page.matrix);
    return page;
}

PageGeometry paperPage(ShownSize shown, const jobfiles::PageLayout& layout, int orientation) {
    const jobfiles::PaperArea area =
        jobfiles::paperArea(layout, jobfiles::landscapePage(layout, shown.width, shown.height));
    PageGeometry page;
    page.width = area.paperWidth;
    page.height = area.paperHeight;
    const double box[4] = {area.margin, area.margin, area.width, area.height};
    placeInBox(shown, box, layout.fit, orientation, page);
    return page;
}

} // namespace

ShownSize shownSize(int pixelWidth, int pixelHeight, double xDpi, double yDpi, int orientation) {
    if (!(xDpi > 0.0) || !(yDpi > 0.0) || !std::isfinite(xDpi) || !std::isfinite(yDpi)) {
        xDpi = formats::kDefaultDpi;
        yDpi = formats::kDefaultDpi;
    }
    const double storedWidth = std::max(pixelWidth, 1) * 72.0 / xDpi;
    const double storedHeight = std::max(pixelHeight, 1) * 72.0 / yDpi;
    if (orientation >= 5 && orientation <= 8) // shown with width and height exchanged
        return {storedHeight, storedWidth};
    return {storedWidth, storedHeight};
}

void placeInBox(ShownSize shown, const double box[4], jobfiles::Fit fit, int orientation,
                PageGeometry& page) {
    const double scale = jobfiles::fittedScale(shown.width, shown.height, box[2], box[3], fit);
    if (fit == jobfiles::Fit::Fill) {
        page.clip = true;
        std::copy(box, box + 4, page.clipBox);
    }
    const double w = shown.width * scale;
    const double h = shown.height * scale;
    placeImage(orientation, box[0] + (box[2] - w) / 2.0, box[1] + (box[3] - h) / 2.0, w, h,
               page.matrix);
}

int turnedOrientation(int orientation, int clockwise) {
    if (orientation < 1 || orientation > 8)
        orientation = 1;
    const int extra = clockwise == 90 ? 1 : clockwise == 180 ? 2 : clockwise == 270 ? 3 : 0;
    const Placement placement = kPlacements[orientation];
    const int quarters = (placement.quarters + extra) % 4;
    for (int shown = 1; shown <= 8; ++shown) {
        if (kPlacements[shown].mirrored == placement.mirrored &&
            kPlacements[shown].quarters == quarters)
            return shown;
    }
    return orientation;
}

PageGeometry pageGeometry(int pixelWidth, int pixelHeight, double xDpi, double yDpi,
                          int orientation, const jobfiles::PageLayout& layout) {
    if (orientation < 1 || orientation > 8)
        orientation = 1;
    const ShownSize shown = shownSize(pixelWidth, pixelHeight, xDpi, yDpi, orientation);
    if (layout.size == jobfiles::PageSize::Picture) {
        const double margin =
            jobfiles::millimetresToPoints(std::clamp(layout.marginMm, 0.0, jobfiles::kMaxMarginMm));
        return pictureSizedPage(shown.width, shown.height, margin, orientation);
    }
    return paperPage(shown, layout, orientation);
}

} // namespace pw::pdftool
