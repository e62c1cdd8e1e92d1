#pragma once
// The few EXIF fields that decide how a picture is placed on its page.
#include <cstddef>
#include <cstdint>

namespace pw::pdftool {

struct ExifFields {
    int orientation = 0;      // 1..8 when given and valid, else 0 (as stored)
    double xResolution = 0.0; // dots per inch, 0 when not given
    double yResolution = 0.0;
    double xShape = 0.0; // the values of a resolution without a unit, which give only the
    double yShape = 0.0; // pixels' shape; 0 when not given
};

// Parses an APP1 payload ("Exif\0\0" + TIFF data). Every read is bounds-checked; a damaged
// block gives whatever fields could be read safely.
ExifFields parseExif(const std::uint8_t* data, std::size_t size);

} // namespace pw::pdftool
