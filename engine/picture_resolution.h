#pragma once
// Whether a picture file states its resolution. FreeImage makes one up when it does not (72 dpi
// for PNG and GIF, 300 dpi for TIFF), which would give the same picture a different page size
// in each format; such pictures are staged without a resolution, so the PDF builder uses the
// same default as for a JPEG without one.
#include "outside/pdftool/page_geometry.h"

#include <cstdint>
#include <optional>
#include <string>

namespace pw::engine {

// Resolutions come in dots per inch (JFIF, TIFF) or per metre (FreeImage, PNG, BMP).
inline constexpr double kMetresPerInch = 0.0254;

// A resolution in dots per inch each way; 0 when none is stated.
struct Resolution {
    double xDpi = 0.0;
    double yDpi = 0.0;
    bool stated() const { return xDpi > 0.0 && yDpi > 0.0; }
};

// What a PNG's pHYs values say: with unit 1, dots per metre; with unit 0, only the shape of a
// pixel, so the denser direction gets the usual 96 dpi and the other its share of that.
inline Resolution PngPhysResolution(std::uint32_t x, std::uint32_t y, unsigned unit) {
    if (x == 0 || y == 0 || unit > 1)
        return {};
    if (unit == 1)
        return {x * kMetresPerInch, y * kMetresPerInch};
    const double denser = x > y ? x : y;
    return {pdftool::kDefaultDpi * x / denser, pdftool::kDefaultDpi * y / denser};
}

// False for a GIF, a PNG without a pHYs chunk in metres, a TIFF whose first directory has no
// XResolution tag and a JPEG without a JFIF density in dots per inch or centimetre; true
// otherwise (other formats keep what FreeImage read).
bool StatesResolution(const std::string& path);

// The resolution a PNG (pHYs) or BMP (info header) file states, exactly: both state it per
// metre, which whole dots per inch would round (3780 per metre is 96.012 dpi). A BMP's
// resolution under 10 or over 10000 dpi counts as none. nullopt for other formats.
std::optional<Resolution> MetricResolution(const std::string& path);

} // namespace pw::engine
