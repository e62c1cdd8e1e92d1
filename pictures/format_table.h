#pragma once
// Picture extensions the staging step decodes, and the FreeImage format of each.
#include <optional>
#include <string>

namespace pw::pictures {

// FreeImage format id for an extension (without the dot, any letter case); none when the
// extension is not in the table. "jpg" is not in it: those files are copied as they are.
std::optional<int> FormatForExtension(const std::string& extension);

// True when the file starts with the JPEG start-of-image marker FF D8 FF.
bool HasJpegSignature(const std::string& path);

// True for a TIFF: by its extension, or else by its first bytes.
bool IsTiffPicture(const std::string& narrowPath, const std::string& extension);

} // namespace pw::pictures
