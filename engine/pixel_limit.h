#pragma once
// The pixel limit for every picture: 900 megapixels (30000 x 30000), beyond any real camera or
// scanner. A header claiming that many pixels or more is refused before anything is decoded,
// which also stops "decompression bombs" (a small file that decodes to gigabytes).
#include <cstdint>
#include <string>

namespace pw {

inline constexpr std::uint64_t kPixelLimit = 30000ULL * 30000ULL;

// Both sides are 32-bit, so their product always fits.
inline bool WithinPixelLimit(std::uint32_t width, std::uint32_t height) {
    return static_cast<std::uint64_t>(width) * height < kPixelLimit;
}

// Why a picture of this size is refused, for messages and the builder's "Skipped" lines.
inline std::string PixelLimitReason(std::uint32_t width, std::uint32_t height) {
    return std::to_string(width) + " x " + std::to_string(height) +
           " pixels reaches the limit of " + std::to_string(kPixelLimit / 1000000) + " megapixels";
}

} // namespace pw
