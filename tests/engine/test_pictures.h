#pragma once
// Pictures made by the tests themselves.
#include <string>

namespace pw::test {

// A width x height picture with a colour gradient, saved by FreeImage in the given format
// (FIF_* id). bpp 32 gives an alpha channel; GIF is quantised to 8 bits. Returns success.
bool writePicture(const std::string& path, int format, int width = 64, int height = 48,
                  int bpp = 24);
// FreeImage reads but cannot write these two; they are written by hand.
bool writePcx(const std::string& path, int width = 16, int height = 8);
bool writeIlbm(const std::string& path, int width = 16, int height = 8);

// Small files whose headers claim width x height pixels of 8-bit RGB: a PNG with valid chunks
// and a few compressed rows, an uncompressed TIFF with one short strip.
bool writeClaimedPng(const std::string& path, unsigned width, unsigned height);
bool writeClaimedTiff(const std::string& path, unsigned width, unsigned height);
// A 24-bit BMP and a GIF frame claiming width x height with (almost) no pixel data.
bool writeClaimedBmp(const std::string& path, unsigned width, unsigned height);
bool writeClaimedGif(const std::string& path, unsigned width, unsigned height);

// A GIF of one frame placed at left, top on a logical screen: `indices`, row by row, into
// `colours` (RGB triplets, up to 256); fewer indices than pixels leave the rest to the decoder.
// `transparent` (0..255) makes one index transparent.
struct GifFrame {
    unsigned screenWidth = 0;
    unsigned screenHeight = 0;
    unsigned left = 0;
    unsigned top = 0;
    unsigned width = 0;
    unsigned height = 0;
    std::string indices;
    std::string colours;
    int transparent = -1;
};
bool writeGif(const std::string& path, const GifFrame& frame);

std::string readBytes(const std::string& path);
bool writeBytes(const std::string& path, const std::string& bytes);

} // namespace pw::test
