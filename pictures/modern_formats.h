#pragma once
// HEIF/HEIC/AVIF (libheif), WebP (libwebp) and JPEG XL (libjxl) pictures.
#include "pictures/decoded.h"
#include "pictures/stop_flag.h"
#include "platform/opened_file.h"

#include <string>

namespace pw::pictures {

struct PictureKind;

enum class ModernFormat { None, Heif, Webp, Jxl };

// The format an extension (without the dot, any letter case) names.
ModernFormat modernFormatForExtension(const std::string& extension);
// The format the file's first bytes show, checked by each library; None for anything else.
ModernFormat modernFormatOfContent(const std::string& narrowPath);

// Each decodes the first picture (the primary image, the first frame) upright, with its ICC
// profile attached, as bitmapFromRows makes it (16-bit samples for deeper pictures, alpha only
// when used). Refused when the file cannot be decoded, saying why when the user should know more
// than that (a picture at or above the pixel limit). Refused too once `stop` is set: libheif's
// reads of the file fail from then on, libwebp and libjxl are fed the file a slice at a time.
Decoded decodeHeif(const std::string& narrowPath, StopFlag stop = {});
Decoded decodeWebp(const std::string& narrowPath, StopFlag stop = {});
Decoded decodeJxl(const std::string& narrowPath, StopFlag stop = {});
Decoded decodeHeif(const platform::OpenedFile& file, StopFlag stop = {});
Decoded decodeWebp(const platform::OpenedFile& file, StopFlag stop = {});
Decoded decodeJxl(const platform::OpenedFile& file, StopFlag stop = {});

// The decoder of `format`; for None, refused with nothing more to say.
Decoded decodeModern(ModernFormat format, const std::string& narrowPath, StopFlag stop = {});
// The same for an opened file.
Decoded decodeModern(ModernFormat format, const platform::OpenedFile& file, StopFlag stop = {});
// The format of a kind of the table; None for other kinds.
ModernFormat modernFormatOf(const PictureKind* kind);

} // namespace pw::pictures
