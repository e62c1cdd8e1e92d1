#pragma once
// What staging asks of the table of picture kinds (picture_kinds.h).
#include "pictures/picture_file.h"

#include <optional>
#include <string>

namespace pw::pictures {

// FreeImage format id for an extension (without the dot, any letter case); none when no kind
// FreeImage reads has it, and for "jpg", whose files are decoded as their content shows.
std::optional<int> formatForExtension(const std::string& extension);

// True when the file starts with the JPEG start-of-image marker FF D8 FF.
bool hasJpegSignature(const std::string& path);
bool hasJpegSignature(const platform::OpenedFile& file);

// True for a TIFF: by its extension, or else by its first bytes.
bool isTiffPicture(const std::string& narrowPath, const std::string& extension);
bool isTiffPicture(const PictureFile& file, const std::string& extension);

} // namespace pw::pictures
