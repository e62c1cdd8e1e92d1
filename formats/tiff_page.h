#pragma once
// Reaching one page of a multi-page TIFF, and reading its fax data as it was written.
#include <string>

typedef struct tiff TIFF;
typedef struct TIFFOpenOptions TIFFOpenOptions;

namespace pw::formats {

// Makes page `page` (1-based) the current directory of a handle whose current page is `current`
// (0: not known), and sets `current`. A later page is reached by reading on from the current
// one; any other by TIFFSetDirectory, which in libtiff 4.5 reads every directory from the
// first, so reaching each page of a file of thousands that way would take their square. The
// current page is read again.
bool selectTiffPage(TIFF* tiff, int& current, int page);

// Page `page` of the TIFF at `path`, the current page of `tiff`: fax data coded in one
// dimension without end-of-line codes (compression 3 as some writers use it, or compression 2
// with rows not aligned to bytes), which libtiff's decoder for its compression fails on, is
// set to be read by libtiff's modified Huffman decoder, with the rows aligned to bytes or not,
// whichever decodes the first strip without a complaint. Other pages are left as they are.
void chooseFaxDecoding(TIFF* tiff, const std::string& path, int page);
// The same for the file open on descriptor `fd`, which is left open.
void chooseFaxDecoding(TIFF* tiff, int fd, int page);

// A TIFF read from descriptor `fd` (not mapped) at offsets of its own, by positional reads:
// several such handles and other readers share the one descriptor. TIFFClose leaves `fd` open.
// `name` is for libtiff's messages; null when libtiff cannot read it.
TIFF* openTiffDescriptor(int fd, const std::string& name, TIFFOpenOptions* options = nullptr);

} // namespace pw::formats
