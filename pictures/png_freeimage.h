#pragma once
// PNG files that do not take the quality path's own reader (16-bit, interlaced, fewer than 8
// bits, colour keys), read by FreeImage as that reader and the lossless pages show them: the
// gAMA chunk ignored, and a palette's tRNS chunk kept where it precedes the PLTE chunk.
#include "pictures/bitmap.h"
#include "pictures/stop_flag.h"
#include "platform/opened_file.h"

#include <string>
#include <vector>

namespace pw::pictures {

// The file's bytes with the PLTE chunk moved before a tRNS chunk that precedes it in a palette
// picture (libpng drops such a tRNS chunk); empty when the file is not such a PNG.
std::vector<unsigned char> pngWithPaletteFirst(const std::string& narrowPath);
std::vector<unsigned char> pngWithPaletteFirst(const platform::OpenedFile& file);

// FreeImage's reading of the PNG without gamma correction, through pngWithPaletteFirst where it
// applies; null when FreeImage cannot read it or `stop` is set meanwhile.
Bitmap loadPngWithFreeImage(const std::string& narrowPath, StopFlag stop = {});
Bitmap loadPngWithFreeImage(const platform::OpenedFile& file, StopFlag stop = {});

} // namespace pw::pictures
