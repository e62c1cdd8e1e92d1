#pragma once
// A tall or wide picture laid over several pages of paper, each page showing the next slice.
#include "outside/pdftool/page_geometry.h"

#include <vector>

namespace pw::pdftool {

// With layout.splitTall and a paper size, the pages of a picture (as for pageGeometry) that
// jobfiles::pictureSplit lays over several pages, each showing the picture through a clipping
// rectangle on the area inside the margins, each slice starting layout.overlapMm (at most half
// the area) before the end of the one before:
// - tall (shown at the area's width more than jobfiles::kTallRatio times as tall as the area):
//   portrait paper (landscape when the layout asks for it), slices from the top down;
// - wide (shown at the area's height more than that ratio times as wide as the area):
//   landscape paper (portrait when the layout asks for it), slices from the left.
// Empty for any other picture or layout.
std::vector<PageGeometry> splitPageSlices(int pixelWidth, int pixelHeight, double xDpi, double yDpi,
                                          int orientation, const jobfiles::PageLayout& layout);

} // namespace pw::pdftool
