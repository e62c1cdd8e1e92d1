#pragma once
// Tests on file names shared by the folder scan and the drop handlers.
#include <string>

namespace pw::app {

// True when the name ends in a dot and an extension intake takes (pictures/picture_kinds.h:
// ".jpg", ".tiff", ".heic" ...), letter case ignored. Nothing else counts: not ".jpe", ".dib"
// or ".ico".
bool hasPictureExtension(const std::string& name);

// True when the name ends in ".pdf", letter case ignored.
bool hasPdfExtension(const std::string& name);

// The last n characters (not bytes) of a UTF-8 text; the whole text when it is shorter.
std::string lastCharacters(const std::string& utf8, int n);

} // namespace pw::app
