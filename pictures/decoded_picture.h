#pragma once
// Turning decoded 8-bit pixels from the HEIF, WebP and JPEG XL decoders into a FreeImage bitmap.
#include "pictures/stop_flag.h"

#include <cstddef>
#include <cstdint>
#include <string>

struct FIBITMAP;

namespace pw::pictures {

struct PixelRows {
    const std::uint8_t* data = nullptr; // top row first, RGB or RGBA samples per pixel
    std::size_t stride = 0;             // bytes from one row to the next
    int width = 0;
    int height = 0;
    bool alpha = false;  // RGBA when true, RGB otherwise
    int sampleBits = 8;  // 8: a byte a sample; 9..16: native 16-bit words holding that many bits
    int orientation = 1; // EXIF orientation (1..8) still to apply; anything else = as stored
    std::string icc;     // profile of the pixels, empty for sRGB
    StopFlag stop;       // once set, no bitmap is made
};

// Where the stored pixel (x, y) of a width x height picture lands when shown turned and mirrored
// as EXIF (or TIFF) `orientation` says; values other than 2..8 leave it where it is.
void shownPosition(int orientation, int x, int y, int width, int height, int& shownX, int& shownY);

// A bitmap of the rows as a viewer shows them: turned and mirrored as `orientation` says, the
// ICC profile attached, no resolution; 24-bit (32 with alpha) for 8-bit samples, FIT_RGB16
// (FIT_RGBA16) with the samples widened to the full 16-bit range for deeper ones. An alpha
// channel is kept only when some pixel is not fully opaque. Null when FreeImage cannot
// allocate it, or once rows.stop is set.
FIBITMAP* bitmapFromRows(const PixelRows& rows);

} // namespace pw::pictures
