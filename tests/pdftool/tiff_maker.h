#pragma once
// Writes bilevel test TIFFs with libtiff, Group 4 in one strip as staging writes them unless a
// case asks otherwise.
#include <functional>
#include <string>

namespace pw::pdftool::test {

// The pattern of a bilevel picture unless a case gives its own: slanted lines, the top row
// black.
bool bilevelPattern(int x, int y);

// Black where `dark(x, y)`: 1 for black unless `photometric` is min-is-black (1).
struct BilevelSpec {
    int photometric = 0;  // PHOTOMETRIC_MINISWHITE
    int compression = 4;  // COMPRESSION_CCITTFAX4
    int rowsPerStrip = 0; // 0: one strip
    int width = 21;
    int height = 10;
    float dpi = 96.0F;
    std::function<bool(int, int)> dark = bilevelPattern;
};

// Returns false when the file could not be written.
bool writeBilevel(const std::string& path, const BilevelSpec& picture);

} // namespace pw::pdftool::test
