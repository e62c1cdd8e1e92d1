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
// and a few compressed rows, an uncompressed TIFF with one short strip.
bool writeClaimedPng(const std::string& path, unsigned width, unsigned height);
bool writeClaimedTiff(const std::string& path, unsigned width, unsigned height);
// A 24-bit BMP and a GIF frame claiming width x height with (almost) no pixel data.
bool writeClaimedBmp(const std::string& path, unsigned width, unsigned height);
bool writeClaimedGif(const std::string& path, unsigned width, unsigned height);

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
    int resolutionUnit = 2;               // RESUNIT_INCH
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
