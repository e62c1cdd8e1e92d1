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

// A single-scan JPEG with its complete scan once more before the end, which readers that
// check the structure refuse; empty when `jpeg` has no scan.
std::string withScanRepeated(const std::string& jpeg);

std::string readBytes(const std::string& path);
bool writeBytes(const std::string& path, const std::string& bytes);

} // namespace pw::test
