#pragma once
// The PNG file signature, the samples of each colour type and the big-endian numbers of PNG
// chunks, for every reader of them.
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace pw::formats {

inline constexpr unsigned char kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// True when the 8 bytes at `head` are the PNG signature.
inline bool isPngSignature(const unsigned char* head) {
    return std::memcmp(head, kPngSignature, sizeof kPngSignature) == 0;
}

// Samples a pixel of PNG colour type `type` has; 0 for a type PNG does not define.
inline int pngSamples(unsigned type) {
    constexpr int kSamples[7] = {1, 0, 3, 1, 2, 0, 4};
    return type < 7 ? kSamples[type] : 0;
}

inline std::uint32_t bigEndian32(const unsigned char* b) {
    return std::uint32_t{b[0]} << 24 | std::uint32_t{b[1]} << 16 | std::uint32_t{b[2]} << 8 | b[3];
}

// True when an inflated iCCP profile can describe pictures of `baseColours` (1 gray, 3 RGB):
// a whole profile that states its own size and that colour space.
inline bool usableIccProfile(const unsigned char* profile, std::size_t size, int baseColours) {
    return size >= 128 && bigEndian32(profile) == size &&
           std::memcmp(profile + 16, baseColours == 1 ? "GRAY" : "RGB ", 4) == 0;
}

} // namespace pw::formats
