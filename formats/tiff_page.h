#pragma once
// Reaching one page of a multi-page TIFF.
typedef struct tiff TIFF;

namespace pw::pdftool {

// Makes page `page` (1-based) the current directory of a handle whose current page is `current`
// (0: not known), and sets `current`. A later page is reached by reading on from the current
// one; any other by TIFFSetDirectory, which in libtiff 4.5 reads every directory from the
// first, so reaching each page of a file of thousands that way would take their square. The
// current page is read again.
bool SelectTiffPage(TIFF* tiff, int& current, int page);

} // namespace pw::pdftool
