#pragma once
// A HEIF/AVIF file's meta box, read here for what libheif 1.15 gets wrong: it cannot mirror
// pictures of more than 8 bits (so clap, irot and imir are applied here, to every depth alike),
// and it fails on an entity group box with fields of its own, such as a pyramid's 'pymd'. libheif
// reads a copy of the box in which those properties and the 'grpl' box are renamed 'free'.
#include "platform/opened_file.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace pw::pictures {

struct HeifTransform {
    enum class Kind { Crop, Rotate, Mirror }; // in the order they apply
    Kind kind = Kind::Rotate;
    int quarterTurns = 0;   // Rotate: anticlockwise
    bool leftRight = false; // Mirror: left and right exchanged; otherwise top and bottom
    // Crop: the clean aperture's width and height, and its centre's offset from the picture's
    // centre across and down, each a numerator and a denominator as stored.
    std::uint32_t aperture[8] = {};
};

struct HeifMeta {
    std::uint64_t offset = 0; // where the meta box starts in the file
    std::string box;          // the whole box as libheif is to read it
    // The transformations of each item by its ID, in the order the file lists them.
    std::map<std::uint32_t, std::vector<HeifTransform>> transforms;
};

// Reads the meta box `box` (header included) found at `offset`; the parts that cannot be
// parsed are left as they are, for libheif to judge.
HeifMeta parseHeifMeta(std::string box, std::uint64_t offset);

// The file's top-level meta box, parsed; nullopt when the file cannot be read, has none, or
// its meta box is implausibly large (64 MB).
std::optional<HeifMeta> readHeifMeta(const std::string& narrowPath);
std::optional<HeifMeta> readHeifMeta(const platform::OpenedFile& file);

// The region of a stored picture of width x height that shows after `transforms`, applied in
// the order the format gives (crop, rotation, mirroring) whatever their order in the file: a
// rectangle of the stored pixels and the EXIF orientation (1..8) that turns it as shown. A
// clean aperture is clipped to the picture; one that is malformed or lies outside it is ignored.
struct HeifRegion {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int orientation = 1;
};
HeifRegion shownRegion(int width, int height, std::vector<HeifTransform> transforms);

} // namespace pw::pictures
