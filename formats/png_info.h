#pragma once
// What the builder needs to know about one staged PNG, read from its chunks without decoding.
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

namespace pw::formats {

struct PngInfo {
    std::uint64_t fileSize = 0;
    int width = 0;
    int height = 0;
    int bitDepth = 0;   // 1, 2, 4, 8 or 16 bits per sample
    int colourType = 0; // 0 gray, 2 RGB, 3 palette, 4 gray + alpha, 6 RGB + alpha
    bool interlaced = false;
    std::string palette;      // PLTE entries, 3 bytes each
    std::string transparency; // tRNS data, empty when absent
    std::string iccProfile;   // iCCP profile matching the colours, else empty
    double xDpi = 0.0;        // from pHYs (formats::pngPhysResolution), 0 when not given
    double yDpi = 0.0;
    std::uint64_t firstIdat = 0;  // file offset of the first IDAT chunk
    std::uint64_t idatLength = 0; // data bytes of all IDAT chunks together

    // Samples per pixel of the colour image, alpha left out (a palette index counts as one).
    int colours() const { return colourType == 2 || colourType == 6 ? 3 : 1; }
    // Colour samples of the base colour space (the palette's entries are RGB).
    int baseColours() const { return colourType == 0 || colourType == 4 ? 1 : 3; }
    bool hasAlpha() const { return colourType == 4 || colourType == 6 || !transparency.empty(); }
    // The IDAT data is a valid PDF Flate stream with PNG predictors for the colour image.
    bool copiesIdat() const { return !interlaced && colourType != 4 && colourType != 6; }
};

// Walks the chunks of a PNG file and checks each one's CRC, the header's values and the chunk
// order (one IHDR first, IDAT chunks in one run, IEND last); the image data of a picture that
// has to be decoded (interlaced, alpha, tRNS) is inflated to check it too. On failure returns
// std::nullopt with a short reason.
std::optional<PngInfo> readPngInfo(const std::string& path, std::string& reason);
// The same from a stream at the file's start, of `fileSize` bytes (the stream is closed).
std::optional<PngInfo> readPngInfo(std::FILE* file, std::uint64_t fileSize, std::string& reason);

// The profile readPngInfo gives (empty when none fits), read from the chunks before the image
// data only; none when those cannot be read.
std::optional<std::string> readPngIccProfile(const std::string& path);
std::optional<std::string> readPngIccProfile(std::FILE* file, std::uint64_t fileSize);

} // namespace pw::formats
