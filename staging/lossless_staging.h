#pragma once
// Staging without loss: the picture becomes a PNG that keeps its pixel values exactly.
#include "pictures/stop_flag.h"

#include <string>

struct FIBITMAP;

namespace pw::staging {

// Writes the picture at `source` to `target` as a PNG the builder embeds without
// loss: a PNG whose chunks and image data check out is staged as it is (linked or copied);
// anything else is decoded and saved as PNG, keeping gray, palette, 1-bit, 16-bit samples,
// alpha and the ICC profile. Returns whether target was written.
bool stageLossless(const std::string& source, const std::string& extension,
                   const std::string& target, std::string* problem = nullptr);

// Writes a decoded picture (left to the caller) to target as a PNG with the same pixel values,
// at the bitmap's resolution (none when 0).
// Nothing is left at target when `stop` is set meanwhile.
bool saveLosslessBitmap(FIBITMAP* bitmap, const std::string& target, pictures::StopFlag stop = {});

} // namespace pw::staging
