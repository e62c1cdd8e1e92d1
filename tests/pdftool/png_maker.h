#pragma once
// Writes small test PNGs with libpng: pseudo-random samples in the layout a case asks for.
#include <cstdint>
#include <string>
#include <vector>

namespace pw::pdftool::test {

struct PngSpec {
    int width = 24;
    int height = 16;
    int bitDepth = 8;
    int colourType = 2; // PNG colour type: 0 gray, 2 RGB, 3 palette, 4 gray+alpha, 6 RGBA
    bool interlaced = false;
    std::string transparency; // tRNS data when not empty
    std::string iccProfile;   // iCCP when not empty
    unsigned seed = 1;
    bool binaryAlpha = true; // alpha samples only fully transparent or opaque
    int filters = 0;         // PNG_FILTER_* mask for libpng to choose from; 0: libpng's default
    int dotsPerMeter = -1;   // pHYs in metres when not negative; 0 writes an unknown unit
    std::string data;        // the rows' bytes, one after the other, instead of random ones
};

// Returns false when the file could not be written.
bool writePng(const std::string& path, const PngSpec& spec);

// The picture as 8-bit RGB over white, as libpng decodes it; empty when it cannot.
std::vector<unsigned char> pngOverWhite(const std::string& path, int& width, int& height);

} // namespace pw::pdftool::test
