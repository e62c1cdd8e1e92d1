#pragma once
// The largest picture the program decodes: far above any camera or scanner, small enough that
// a file claiming more cannot exhaust memory before it is refused.
#include <cstdint>
#include <string>

namespace pw::engine {

inline constexpr std::uint64_t kMaxPictureSide = 30000;
inline constexpr std::uint64_t kMaxPicturePixels = kMaxPictureSide * kMaxPictureSide;

// True when a width x height picture may be decoded.
inline bool WithinPixelLimit(std::uint64_t width, std::uint64_t height) {
    return width > 0 && height > 0 && width <= kMaxPicturePixels / height;
}

// Why a picture of that size is refused, for the user.
inline std::string PixelLimitMessage(std::uint64_t width, std::uint64_t height) {
    return std::to_string(width) + " x " + std::to_string(height) +
           " pixels, more than the limit of " + std::to_string(kMaxPictureSide) + " x " +
           std::to_string(kMaxPictureSide);
}

} // namespace pw::engine
