#pragma once
// Several pictures on one sheet of paper: a grid of cells filled row by row.
#include "outside/pdftool/page_geometry.h"

#include <vector>

namespace pw::pdftool {

struct SheetPicture {
    int pixelWidth = 0;
    int pixelHeight = 0;
    double xDpi = 0.0;
    double yDpi = 0.0;
    int orientation = 1; // as shown, 1..8
};

// Where each picture of one sheet goes (at most the layout's columns x rows of them, in list
// order): every geometry has the sheet's size, and places its picture centred in the next cell,
// row by row from the top left, as the layout's fit says (fill: cut to the cell). The sheet is
// turned as the layout's orientation says; automatic: landscape when the pictures, fitted to
// their cells, cover more of the sheet that way.
std::vector<PageGeometry> sheetPlacements(const std::vector<SheetPicture>& pictures,
                                          const jobfiles::PageLayout& layout);

} // namespace pw::pdftool
