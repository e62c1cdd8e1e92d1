#pragma once
// Resolutions as pictures state them: dots per inch (JFIF, TIFF) or per metre (PNG, BMP), and
// the resolution assumed when a picture states none.
#include <cstdint>

namespace pw::engine {

// Resolution assumed when a picture gives none.
inline constexpr double kDefaultDpi = 96.0;
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
    return {kDefaultDpi * x / denser, kDefaultDpi * y / denser};
}

} // namespace pw::engine
