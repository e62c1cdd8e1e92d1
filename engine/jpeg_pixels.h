#pragma once
// Reading the pixels of JPEGs that the usual decoding path refuses.
#include <string>

struct FIBITMAP;

namespace pw::engine {

// Decodes a grey, YCbCr or RGB JPEG into a 24-bit bitmap through libjpeg's raw component
// planes, so any whole-number or fractional chroma sampling is read, and stops after the
// picture's first complete pass (a later stray scan is ignored). The JFIF resolution is kept;
// without one the bitmap has none. nullptr when libjpeg cannot read it (or for CMYK).
FIBITMAP* DecodeJpegPixels(const std::string& narrowPath);

} // namespace pw::engine
