#pragma once
// Checks that a JPEG's image data is complete.
#include <cstdint>
#include <cstdio>

namespace pw::pdftool {

// True when the file holds an end-of-image marker after `scanStart` (the first byte after the
// first scan header). The common case, the marker at the very end (possibly followed by a
// little padding), is found from the file's tail; otherwise the marker segments and scan data
// are walked from `scanStart`, so a picture followed by trailing data is still accepted.
bool hasImageEnd(std::FILE* file, std::uint64_t fileSize, std::uint64_t scanStart);

} // namespace pw::pdftool
