#pragma once
// One sample of a transparent pixel laid over white, rounded to the nearest value.
#include <cstdint>

namespace pw::pictures {

inline std::uint8_t overWhite(unsigned value, unsigned alpha) {
    return static_cast<std::uint8_t>((value * alpha + 255 * (255 - alpha) + 127) / 255);
}

} // namespace pw::pictures
