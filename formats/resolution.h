#pragma once
// Resolutions as pictures state them: dots per inch (JFIF, TIFF) or per metre (PNG, BMP), and
// the resolution assumed when a picture states none.
#include <cstdint>

namespace pw::formats {

// Resolution assumed when a picture gives none.
inline constexpr double kDefaultDpi = 96.0;
inline constexpr double kMetresPerInch = 0.0254;

// A resolution in dots per inch each way; 0 when none is stated.
struct Resolution {
    double xDpi = 0.0;
    double yDpi = 0.0;
    bool stated() const { return xDpi > 0.0 && yDpi > 0.0; }
};

// Resolutions taken as stated; one outside counts as none (1 dot per inch would make a page of
// 200 pixels 200 inches wide).
inline constexpr double kMinDpi = 10.0;
inline constexpr double kMaxDpi = 10000.0;

// `resolution` when it lies within kMinDpi..kMaxDpi both ways; none otherwise.
inline Resolution saneResolution(const Resolution& resolution) {
    const auto sane = [](double dpi) { return dpi >= kMinDpi && dpi <= kMaxDpi; };
    return sane(resolution.xDpi) && sane(resolution.yDpi) ? resolution : Resolution{};
}

// Values that give only the shape of a pixel, `x` dots across for `y` down (a PNG's pHYs unit
// 0, a TIFF's ResolutionUnit 1, a JFIF density unit 0, EXIF's unit 1), in every format alike:
// the denser direction gets the usual 96 dpi and the other its share of that, so non-square
// pixels keep their shape. None for square pixels (which say no more than none does), when
// either is not positive, or when the shape is so extreme that the other direction falls
// outside saneResolution.
inline Resolution aspectResolution(double x, double y) {
    if (!(x > 0.0) || !(y > 0.0) || x == y)
        return {};
    const double denser = x > y ? x : y;
    return saneResolution({kDefaultDpi * x / denser, kDefaultDpi * y / denser});
}

// What a PNG's pHYs values say: with unit 1, dots per metre; with unit 0, only the shape of a
// pixel (aspectResolution).
inline Resolution pngPhysResolution(std::uint32_t x, std::uint32_t y, unsigned unit) {
    if (unit == 1)
        return saneResolution({x * kMetresPerInch, y * kMetresPerInch});
    return unit == 0 ? aspectResolution(x, y) : Resolution{};
}

} // namespace pw::formats
