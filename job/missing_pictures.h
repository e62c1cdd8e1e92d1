#pragma once
// The one message that tells the user which pictures did not reach the result.
#include "staging/picture_pages.h"

#include <string>
#include <vector>

namespace pw::job {

inline constexpr const char* kMissingPicturesTitle = "Missing Pictures";

// The message text: a lead line, then the first ten paths one per line, then
// "... and N more" when there are more.
std::string missingPicturesText(const std::vector<std::string>& paths);

// A page the builder could not use, for `reason`: the picture is missing once none of its pages
// is left, and the builder's reason is then its own.
void notePageSkipped(staging::PictureStaging& staging, int page, const std::string& reason);

// The message's line for a picture: its path, with the pages that are missing when some of its
// pages reached the result ("scan.tif (pages 2, 3)"); empty when all of it did.
std::string missingEntry(const std::string& path, const staging::PictureStaging& staging);

// Its line with the reason, "path: reason" ("a.png: damaged (...)", "scan.tif: pages 2, 3
// could not be converted"), for the message's details and the command line; empty when all
// of it reached the result.
std::string missingReasonLine(const std::string& path, const staging::PictureStaging& staging);

} // namespace pw::job
