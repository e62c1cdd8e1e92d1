#pragma once
// Turning one picture into a staged JPEG file.
#include <string>

struct FIBITMAP;

namespace pw::engine {

// FreeImage_Save with the file name in the narrow encoding; true when FreeImage reports success.
bool SaveBitmapFile(int format, FIBITMAP* bitmap, const std::string& fileName, int flags);

// Decodes the picture (format from the extension's table entry; when that is missing or fails,
// the format FreeImage finds in the content) and writes it as a 24-bit JPEG to target. Only one
// picture is held in memory, and only until it is saved. Returns whether target was written.
bool NormalisePicture(const std::string& source, const std::string& extension,
                      const std::string& target);

// Stages one FileList picture: a ".jpg" file that really holds JPEG data is copied byte for
// byte, anything else is normalised. Returns whether the staged file was written.
bool StagePicture(const std::string& source, const std::string& target);

// Puts the source's exact bytes at target (replacing it): a hard link when both share a file
// system, a copy otherwise.
bool StageUnchanged(const std::string& source, const std::string& target);

// True when the file starts with the JPEG start-of-image marker FF D8 FF.
bool HasJpegSignature(const std::string& path);

} // namespace pw::engine
