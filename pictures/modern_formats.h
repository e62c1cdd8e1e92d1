#pragma once
// HEIF/HEIC/AVIF (libheif), WebP (libwebp) and JPEG XL (libjxl) pictures.
#include "pictures/stop_flag.h"

#include <string>

struct FIBITMAP;

namespace pw::pictures {

enum class ModernFormat { None, Heif, Webp, Jxl };

// The format an extension (without the dot, any letter case) names.
ModernFormat modernFormatForExtension(const std::string& extension);
// The format the file's first bytes show, checked by each library; None for anything else.
ModernFormat modernFormatOfContent(const std::string& narrowPath);

// Each decodes the first picture (the primary image, the first frame) upright, with its ICC
// profile attached, as bitmapFromRows makes it (16-bit samples for deeper pictures, alpha only
// when used). Null when the file cannot be decoded; `problem` then says why when the user
// should know more than that (a picture at or above the pixel limit). Null too once `stop` is
// set: libheif's reads of the file fail from then on, libwebp and libjxl are fed the file a
// slice at a time.
FIBITMAP* decodeHeif(const std::string& narrowPath, std::string& problem, StopFlag stop = {});
FIBITMAP* decodeWebp(const std::string& narrowPath, std::string& problem, StopFlag stop = {});
FIBITMAP* decodeJxl(const std::string& narrowPath, std::string& problem, StopFlag stop = {});

// The decoder of `format`; null with `problem` untouched for None.
FIBITMAP* decodeModern(ModernFormat format, const std::string& narrowPath, std::string& problem,
                       StopFlag stop = {});

} // namespace pw::pictures
