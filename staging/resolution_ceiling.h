#pragma once
// The resolution ceiling (JobOptions::maxDpi): at a quality, a picture shown at more dots per
// inch than the ceiling on its page is scaled down to it with a Catmull-Rom filter, its page
// keeping its size.
#include "formats/resolution.h"
#include "jobfiles/job_options.h"
#include "pictures/picture_file.h"
#include "pictures/stop_flag.h"

#include <cstdint>
#include <optional>
#include <string>

struct FIBITMAP;

namespace pw::staging {

// The notice of a lossless job with a ceiling.
inline constexpr const char* kCeilingIgnored =
    "Lossless pages keep every pixel: the resolution ceiling (Reduce to at most ... dpi) was not "
    "applied.";

// The factor (at most 1) that brings a width x height picture at `resolution` (none: the
// builder's 96 dpi) to the options' ceiling where its page shows it, laid out as the options
// say: at that resolution on a page of its own size, else fitted to the paper (`turned` when
// shown turned a quarter). 1 without a ceiling, without loss, or when it is within.
double ceilingScale(std::uint32_t width, std::uint32_t height,
                    const formats::Resolution& resolution, const jobfiles::JobOptions& options,
                    bool turned = false);

// The resolution staging gives a decoded bitmap: what a PNG or BMP `source` states
// exactly, else the bitmap's own; 96 dpi where there is none.
formats::Resolution stagedResolution(FIBITMAP* bitmap, const pictures::PictureFile& source);

// A JPEG file shown above the ceiling, decoded, scaled down and written to `target` at the
// options' quality: nothing when it is not above it, else whether it was written (`problem`
// set as decodeAndSave sets it).
std::optional<bool> stageReducedJpeg(const pictures::PictureFile& source, const std::string& target,
                                     const jobfiles::JobOptions& options, std::string* problem,
                                     pictures::StopFlag stop = {});

} // namespace pw::staging
