#pragma once
// A tall picture laid over several pages of paper, each page showing the next slice.
#include "outside/pdftool/page_geometry.h"

#include <vector>

namespace pw::pdftool {

// With layout.splitTall and a paper size, the pages of a picture (as for pageGeometry) that
// shown at the width of the area inside the margins is more than engine::kTallRatio times as tall as
// the area: the paper portrait (landscape when the layout asks for it), each page showing the
// picture at that width through a clipping rectangle on the area, slice by slice from the top,
// each slice starting layout.overlapMm (at most half the area) above the end of the one
// before. Empty for any other picture or layout.
std::vector<PageGeometry> tallPageSlices(int pixelWidth, int pixelHeight, double xDpi, double yDpi,
                                         int orientation, const engine::PageLayout& layout);

} // namespace pw::pdftool
