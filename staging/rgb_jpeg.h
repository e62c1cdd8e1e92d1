#pragma once
// Writing rows of RGB samples as a staged JPEG with libjpeg, set up as FreeImage's JPEG writer
// sets it up (4:4:4 chroma from kFullColourQuality on, 4:2:0 below; the ICC profile in APP2
// markers) for a picture without a JFIF density whose resolution, if any, is in an EXIF block.
#include "pictures/picture_resolution.h"
#include "pictures/stop_flag.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace pw::staging {

struct RgbJpeg {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int quality = 100;
    int components = 3;             // 3: RGB rows; 1: gray rows (one sample a pixel)
    formats::Resolution resolution; // none: the JPEG states none
    const std::vector<std::uint8_t>* iccProfile = nullptr;
    pictures::StopFlag stop; // once set, the writing ends and leaves no file
};

// An EXIF block (the APP1 marker's data) stating only `resolution`, which a JFIF density in
// whole dots per inch or centimetre would round: the PDF builder reads it when the JFIF marker
// gives no density.
std::vector<std::uint8_t> resolutionExif(const formats::Resolution& resolution);

// Rows are asked for in batches of this many; each must stay valid until its batch is written.
inline constexpr unsigned kJpegRowBatch = 16;

// Writes target from `nextRow`, called once per row from the top, each giving width RGB
// triplets (gray samples for one component) that stay valid for the next kJpegRowBatch - 1 calls.
// False, with no file left at target, when the JPEG cannot be written.
bool writeRgbJpeg(const std::string& target, const RgbJpeg& picture,
                  const std::function<const std::uint8_t*()>& nextRow);

} // namespace pw::staging
