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

// Deflate's best ratio is about 1032 to 1 (a match of 258 bytes coded in 2 bits); compressed
// data shorter than needed / 1032 can never inflate to `needed` bytes.
inline constexpr std::uint64_t kMaxDeflateRatio = 1032;
inline bool CanInflateTo(std::uint64_t compressed, std::uint64_t needed) {
    return compressed * kMaxDeflateRatio >= needed;
}

} // namespace pw
