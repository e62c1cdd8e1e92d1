#pragma once
// Writes small test JPEGs with libjpeg: a white picture with a red block in its stored
// top-left corner (or red where a case asks), and the markers a case asks for.
#include <functional>
#include <string>

namespace pw::pdftool::test {

struct JpegSpec {
    int width = 64;
    int height = 48;
    int components = 3; // 1, 3 or 4 (CMYK with the Adobe marker)
    bool progressive = false;
    bool arithmetic = false; // arithmetic coding instead of Huffman
    int densityUnit = -1;    // JFIF density unit 0, 1 or 2; -1 writes no JFIF marker
    int xDensity = 0;
    int yDensity = 0;
    int exifOrientation = 0; // written when > 0
    int exifResolution = 0;  // dpi written into EXIF when > 0
    bool brokenExif = false; // an EXIF block cut short inside its directory
    std::string iccProfile;  // written as APP2 chunks when not empty
    // The stored pixels in red; empty: the corner block.
    std::function<bool(int x, int y)> red;
};

// Returns false when the file could not be written.
bool writeJpeg(const std::string& path, const JpegSpec& spec);

// A syntactically plausible ICC profile of `size` bytes for `space` ("RGB ", "GRAY", "CMYK").
std::string fakeIccProfile(std::size_t size, const std::string& space);

} // namespace pw::pdftool::test
