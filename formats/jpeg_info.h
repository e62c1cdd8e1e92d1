#pragma once
// What the builder needs to know about one staged JPEG, read from its header only.
#include "formats/resolution.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

namespace pw::formats {

struct JpegInfo {
    std::uint64_t fileSize = 0;
    int width = 0;
    int height = 0;
    int components = 0;            // 1 gray, 3 colour, 4 CMYK/YCCK
    bool adobeMarker = false;      // APP14 "Adobe" present
    bool rgbUntransformed = false; // 3 components stored as RGB, not YCbCr
    bool progressive = false;
    double xDpi = 0.0; // resolution the picture asks for (readJpegResolution), 0 for none
    double yDpi = 0.0;
    int orientation = 0;    // EXIF 1..8, 0 when absent or broken
    std::string iccProfile; // embedded profile matching the components, else empty
};

// Reads and checks the header of a JPEG file. On failure returns std::nullopt and puts a
// short reason into `reason`. Accepted: 8-bit Huffman-coded (baseline, extended or
// progressive) JPEGs with 1, 3 or 4 components whose whole structure a decoder accepts (see
// checkJpegStructure), ending in an end-of-image marker (trailing bytes after it are allowed).
std::optional<JpegInfo> readJpegInfo(const std::string& path, std::string& reason);
// The same from a stream at the file's start, of `fileSize` bytes (the stream is closed).
std::optional<JpegInfo> readJpegInfo(std::FILE* file, std::uint64_t fileSize, std::string& reason);

// A JPEG's resolution as its header states it, by the rules of formats/resolution.h, first
// found in this order: a JFIF density in dots per inch or centimetre, EXIF's resolution in
// inches or centimetres, the pixels' shape a JFIF density without a unit gives, then the one
// EXIF's without a unit gives. std::nullopt when the header cannot be read.
std::optional<Resolution> readJpegResolution(const std::string& path);
std::optional<Resolution> readJpegResolution(std::FILE* file); // closes it

// What a JPEG's header carries beyond its pixels: the payload of its first EXIF block
// ("Exif\0\0" and the TIFF data, the one readJpegInfo reads) and its embedded ICC profile
// (whatever its colour space); each empty when absent.
struct JpegMarkers {
    std::string exif;
    std::string iccProfile;
};

// The markers as read from the header; std::nullopt when the file or its header cannot be
// read.
std::optional<JpegMarkers> readJpegMarkers(const std::string& path);
std::optional<JpegMarkers> readJpegMarkers(std::FILE* file); // closes it

// The embedded ICC profile alone, read from the header (whatever its colour space);
// std::nullopt when the file or its header cannot be read, "" when it has no profile.
std::optional<std::string> readIccProfile(const std::string& path);

} // namespace pw::formats
