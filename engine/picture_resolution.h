#pragma once
// Whether a picture file states its resolution. FreeImage makes one up when it does not (72 dpi
// for PNG and GIF, 300 dpi for TIFF), which would give the same picture a different page size
// in each format; such pictures are staged without a resolution, so the PDF builder uses the
// same default as for a JPEG without one.
#include <string>

namespace pw::engine {

// Resolutions come in dots per inch (JFIF, TIFF) or per metre (FreeImage, PNG).
inline constexpr double kMetresPerInch = 0.0254;

// False for a GIF, a PNG without a pHYs chunk, a TIFF whose first directory has no
// XResolution tag and a JPEG without a JFIF density in dots per inch or centimetre; true
// otherwise (other formats keep what FreeImage read).
bool StatesResolution(const std::string& path);

} // namespace pw::engine
