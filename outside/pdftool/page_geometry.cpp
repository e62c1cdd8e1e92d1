#include "outside/pdftool/page_geometry.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace pw::pdftool {
namespace {

// Rounds up to 1/10000 so that dividing by the unit never exceeds the limit.
double roundUnitUp(double unit) {
    return std::ceil(unit * 10000.0) / 10000.0;
}

} // namespace

PageGeometry pageGeometry(int pixelWidth, int pixelHeight, double xDpi, double yDpi,
                          int orientation) {
    if (!(xDpi > 0.0) || !(yDpi > 0.0) || !std::isfinite(xDpi) || !std::isfinite(yDpi)) {
        xDpi = kDefaultDpi;
        yDpi = kDefaultDpi;
    }
    if (orientation < 1 || orientation > 8)
        orientation = 1;
    const bool turned = orientation >= 5; // shown with width and height exchanged
    const double storedWidth = std::max(pixelWidth, 1) * 72.0 / xDpi;
    const double storedHeight = std::max(pixelHeight, 1) * 72.0 / yDpi;
    double shownWidth = turned ? storedHeight : storedWidth;
    double shownHeight = turned ? storedWidth : storedHeight;

    PageGeometry page;
    const double longest = std::max(shownWidth, shownHeight);
    if (longest > kMaxPageSide) {
        page.userUnit = roundUnitUp(longest / kMaxPageSide);
        shownWidth /= page.userUnit;
        shownHeight /= page.userUnit;
    }
    const double shortest = std::min(shownWidth, shownHeight);
    if (shortest < kMinPageSide) {
        const double grow =
            std::min(kMinPageSide / shortest, kMaxPageSide / std::max(shownWidth, shownHeight));
        shownWidth *= grow;
        shownHeight *= grow;
    }
    page.width = std::clamp(shownWidth, kMinPageSide, kMaxPageSide);
    page.height = std::clamp(shownHeight, kMinPageSide, kMaxPageSide);
    const double w = std::min(shownWidth, page.width);
    const double h = std::min(shownHeight, page.height);
    const double x = (page.width - w) / 2.0;
    const double y = (page.height - h) / 2.0;

    // Where the stored picture's corners land: (a, b) runs along its top row from left to
    // right, (c, d) up its left column, (e, f) is its bottom-left corner.
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
    std::copy(std::begin(m), std::end(m), std::begin(page.matrix));
    return page;
}

} // namespace pw::pdftool
