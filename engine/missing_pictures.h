#pragma once
// The one message that tells the user which pictures did not reach the result.
#include "engine/picture_pages.h"

#include <string>
#include <vector>

namespace pw::engine {

inline constexpr const char* kMissingPicturesTitle = "Missing Pictures";

// The message text: a lead line, then the first ten paths one per line, then
// "... and N more" when there are more.
std::string MissingPicturesText(const std::vector<std::string>& paths);

// A page the builder could not use: the picture is missing once none of its pages is left.
void NotePageSkipped(PictureStaging& staging, int page);

// The report's line for a picture: its path, then in parentheses why it is missing or which of
// its pages are ("scan.tif (pages 2, 3)"); empty when all of it reached the result.
std::string MissingEntry(const std::string& path, const PictureStaging& staging);

} // namespace pw::engine
