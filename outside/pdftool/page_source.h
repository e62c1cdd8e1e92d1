#pragma once
// A page's staged picture as the writer and its image kinds take it.
#include "formats/g4_tiff.h"
#include "formats/jpeg_info.h"
#include "formats/png_info.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QPDF;

namespace pw::pdftool {

// Where a page's JBIG2 stream lies: in its staged ".jb2" file, or in the run's Jbig2Streams
// (jbig2_image.h) for a Group 4 page coded anew.
struct Jbig2Stream {
    std::uint64_t offset = 0;
    std::uint64_t bytes = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    bool staged = false; // in the page's staged file
};

struct PageSource {
    std::string name; // staged file name, for progress
    std::string path;
    formats::JpegInfo info;              // a JPEG page
    std::optional<formats::PngInfo> png; // a PNG page instead
    // The page's ICC profile by content (see icc_profiles.h), iccSize 0 without one; the
    // writer reads the bytes again from the picture.
    std::size_t iccSize = 0;
    std::string iccDigest;
    std::uint32_t iccVersion = 0; // the profile's ICC version, header bytes 8 to 11
    int turn = 0; // the user's turn clockwise on top of the EXIF one: 0, 90, 180 or 270
    std::optional<formats::G4Tiff> g4; // a Group 4 page instead
    std::optional<Jbig2Stream> jbig2;  // a JBIG2 page, or with g4 its coding, which goes in instead
    // A PDF of the list instead: its pages copied as they are, each turned `turn` further. Its
    // pages were counted and let go (formats::countPdfPages): the writer opens it again with
    // the password that opened it.
    std::shared_ptr<QPDF> pdf;
    std::size_t pdfPages = 0; // the pages copied
    // The page numbers copied (from 1), in order; empty: every page.
    std::vector<int> pdfPageList;
    std::string pdfPassword;
};

// Called when a page's picture is being copied into the file, with its position in `pages`.
using PageWritten = std::function<void(std::size_t)>;

} // namespace pw::pdftool
