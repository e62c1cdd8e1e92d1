#pragma once
// The pixel limit for every picture: 900 megapixels (30000 x 30000), beyond any real camera or
// scanner. A header claiming that many pixels or more is refused before anything is decoded,
// which also stops "decompression bombs" (a small file that decodes to gigabytes).
#include <cstdint>
#include <string>

namespace pw::formats {

inline constexpr std::uint64_t kPixelLimit = 30000ULL * 30000ULL;

// Both sides are 32-bit, so their product always fits.
inline bool withinPixelLimit(std::uint32_t width, std::uint32_t height) {
    return static_cast<std::uint64_t>(width) * height < kPixelLimit;
}

// Why a picture of this size is refused, for messages and the builder's "Skipped" lines.
inline std::string pixelLimitReason(std::uint32_t width, std::uint32_t height) {
    return std::to_string(width) + " x " + std::to_string(height) +
           " pixels reaches the limit of " + std::to_string(kPixelLimit / 1000000) + " megapixels";
}

// "W x H pixels claimed with too little image data for them".
inline std::string tooLittleDataReason(std::uint32_t width, std::uint32_t height) {
    return std::to_string(width) + " x " + std::to_string(height) +
           " pixels claimed with too little image data for them";
}

// A picture decoded into at most this much memory is not checked against its file's size.
inline constexpr std::uint64_t kUnquestionedPixelBytes = 256ull << 20;
// No LZW code stands for more than 4096 bytes, and none is under 9 bits; the codecs held to
// the general rule give back far less for one stored byte in any real file.
inline constexpr std::uint64_t kMaxRunRatio = 4096;

// The general rule for codecs without a known best ratio: pixels taking over 256 MB once
// decoded need at least 1/4096 of that in data, which no real file comes near. The reason a
// width x height picture of `pixelBytes` is refused, or empty.
inline std::string generalDataTooShort(std::uint32_t width, std::uint32_t height,
                                       std::uint64_t pixelBytes, std::uint64_t dataBytes) {
    if (pixelBytes > kUnquestionedPixelBytes && dataBytes * kMaxRunRatio < pixelBytes)
        return tooLittleDataReason(width, height);
    return std::string();
}

// Deflate's best ratio is about 1032 to 1 (a match of 258 bytes coded in 2 bits); compressed
// data shorter than needed / 1032 can never inflate to `needed` bytes.
inline constexpr std::uint64_t kMaxDeflateRatio = 1032;
inline bool canInflateTo(std::uint64_t compressed, std::uint64_t needed) {
    return compressed * kMaxDeflateRatio >= needed;
}

} // namespace pw::formats
