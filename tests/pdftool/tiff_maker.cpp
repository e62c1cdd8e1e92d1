#include "tiff_maker.h"

#include <algorithm>
#include <cstdint>
#include <tiffio.h>
#include <vector>

namespace pw::pdftool::test {

static_assert(PHOTOMETRIC_MINISWHITE == 0 && COMPRESSION_CCITTFAX4 == 4);

bool bilevelPattern(int x, int y) {
    return (x + 2 * y) % 5 == 0 || y == 0;
}

bool writeBilevel(const std::string& path, const BilevelSpec& picture) {
    TIFF* tiff = TIFFOpen(path.c_str(), "w");
    if (tiff == nullptr)
        return false;
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, picture.width);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, picture.height);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, picture.photometric);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, picture.compression);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP,
                 picture.rowsPerStrip > 0 ? picture.rowsPerStrip : picture.height);
    TIFFSetField(tiff, TIFFTAG_XRESOLUTION, picture.dpi);
    TIFFSetField(tiff, TIFFTAG_YRESOLUTION, picture.dpi);
    TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    bool written = true;
    std::vector<unsigned char> row(static_cast<std::size_t>(picture.width + 7) / 8);
    for (int y = 0; y < picture.height; ++y) {
        std::fill(row.begin(), row.end(), 0);
        for (int x = 0; x < picture.width; ++x) {
            if (picture.dark(x, y) == (picture.photometric == PHOTOMETRIC_MINISWHITE))
                row[static_cast<std::size_t>(x / 8)] |= static_cast<unsigned char>(0x80 >> (x % 8));
        }
        written =
            written && TIFFWriteScanline(tiff, row.data(), static_cast<std::uint32_t>(y), 0) == 1;
    }
    TIFFClose(tiff);
    return written;
}

} // namespace pw::pdftool::test
