#pragma once
// Pictures made by the tests themselves.
#include <cstdint>
#include <string>
#include <vector>

namespace pw::test {

// A width x height picture with a colour gradient, saved by FreeImage in the given format
// (FIF_* id). bpp 32 gives an alpha channel; GIF is quantised to 8 bits. Returns success.
bool writePicture(const std::string& path, int format, int width = 64, int height = 48,
                  int bpp = 24);
// FreeImage reads but cannot write these two; they are written by hand.
bool writePcx(const std::string& path, int width = 16, int height = 8);
bool writeIlbm(const std::string& path, int width = 16, int height = 8);

// Small files whose headers claim width x height pixels of 8-bit RGB: a PNG with valid chunks
// and a few compressed rows, a TIFF with one strip of 64 bytes (uncompressed unless
// `compression` says otherwise; gray for one sample, bilevel for one bit, YCbCr for JPEG).
bool writeClaimedPng(const std::string& path, unsigned width, unsigned height);
bool writeClaimedTiff(const std::string& path, unsigned width, unsigned height,
                      unsigned compression = 1, unsigned samples = 3, unsigned bits = 8);
// A TIFF as libtiff writes a white picture in `compression`: strips of
// `rowsPerStrip` rows, all of them the same, so a large one is made by coding one strip.
bool writeWhiteTiff(const std::string& path, unsigned width, unsigned height, unsigned compression,
                    unsigned samples, unsigned bits, unsigned rowsPerStrip);
// A BMP (24 bits, or 8 or 4 with a palette; run-length coded for `compression` 1 and 2) and a
// GIF frame claiming width x height with (almost) no pixel data.
bool writeClaimedBmp(const std::string& path, unsigned width, unsigned height, unsigned bits = 24,
                     unsigned compression = 0);
bool writeClaimedGif(const std::string& path, unsigned width, unsigned height);
// A run-length BMP (8 or 4 bits) of one colour, coded as its writers do: runs of 255 pixels,
// every row ended.
bool writeUniformRleBmp(const std::string& path, unsigned width, unsigned height, unsigned bits);

// A single-scan JPEG with its complete scan once more before the end, which readers that
// check the structure refuse; empty when `jpeg` has no scan.
std::string withScanRepeated(const std::string& jpeg);

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

// One page of a TIFF written with libtiff: `data` holds the rows as stored, interleaved, each
// row padded to a byte, multi-byte samples in the machine's byte order. Planes and tiles
// (`tile` pixels square) are cut from it for samples of whole bytes. One sample a pixel is left
// to the default, as Pillow leaves it; LogLuv pages take XYZ floats.
struct TiffPage {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int photometric = 1; // PHOTOMETRIC_MINISBLACK
    int bits = 8;
    int samples = 1;
    int sampleFormat = 1;   // SAMPLEFORMAT_UINT
    int extraSample = -1;   // EXTRASAMPLE_* of the last sample, -1 for none
    bool planar = false;    // one plane a sample
    std::uint32_t tile = 0; // 0 for strips
    int orientation = 1;
    float xResolution = 0; // no resolution tags when 0
    float yResolution = 0;
    int resolutionUnit = 2;               // RESUNIT_INCH; 0 writes no ResolutionUnit tag
    int compression = 8;                  // COMPRESSION_ADOBE_DEFLATE
    std::vector<std::uint16_t> colourMap; // red, green, blue tables of 2^bits entries each
    std::string data;
};
bool writeTiff(const std::string& path, const std::vector<TiffPage>& pages);
// Rows of `bits`-bit samples (`perRow` a row) packed high bit first, each row padded to a byte.
std::string packSamples(const std::vector<unsigned>& samples, int bits, std::size_t perRow);

std::string readBytes(const std::string& path);
bool writeBytes(const std::string& path, const std::string& bytes);

} // namespace pw::test
