#pragma once
// Writing rows of RGB samples as a staged JPEG with libjpeg, set up as FreeImage's JPEG writer
// sets it up (4:4:4 chroma from kFullColourQuality on, 4:2:0 below; JFIF density in dots per
// inch, the ICC profile in APP2 markers).
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace pw::engine {

struct RgbJpeg {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int quality = 100;
    std::uint32_t dotsPerMeterX = 0; // 0: the JPEG states no resolution
    std::uint32_t dotsPerMeterY = 0;
    const std::vector<std::uint8_t>* iccProfile = nullptr;
};

// Rows are asked for in batches of this many; each must stay valid until its batch is written.
inline constexpr unsigned kJpegRowBatch = 16;

// Writes target from `nextRow`, called once per row from the top, each giving width RGB
// triplets that stay valid for the next kJpegRowBatch - 1 calls. False, with no file left at
// target, when the JPEG cannot be written.
bool WriteRgbJpeg(const std::string& target, const RgbJpeg& picture,
                  const std::function<const std::uint8_t*()>& nextRow);

} // namespace pw::engine
