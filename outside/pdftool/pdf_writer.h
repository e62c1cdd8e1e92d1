#pragma once
// Writes the PDF: one page per picture (a tall or wide one split over several, see
// tall_pages.h), each JPEG embedded unchanged, each PNG without loss, each Group 4 page's data
// as it is.
#include "formats/g4_tiff.h"
#include "formats/jpeg_info.h"
#include "formats/png_info.h"
#include "jobfiles/docinfo.h"
#include "jobfiles/encryption.h"
#include "jobfiles/job_options.h"
#include "jobfiles/picture_titles.h"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace pw::pdftool {

struct PageSource {
    std::string name; // staged file name, for progress
    std::string path;
    JpegInfo info;              // a JPEG page
    std::optional<PngInfo> png; // a PNG page instead
    // The page's ICC profile by content (see icc_profiles.h), iccSize 0 without one; the
    // writer reads the bytes again from the picture.
    std::size_t iccSize = 0;
    std::string iccDigest;
    std::uint32_t iccVersion = 0; // the profile's ICC version, header bytes 8 to 11
    int turn = 0;             // the user's turn clockwise on top of the EXIF one: 0, 90, 180 or 270
    std::optional<G4Tiff> g4; // a Group 4 page instead
};

// Called when a page's picture is being copied into the file, with its position in `pages`.
using PageWritten = std::function<void(std::size_t)>;

// What the document may have beyond its pages; null for none.
struct WriteExtras {
    // AES-256 (R6) with these passwords and permissions; without an owner password a random
    // one, so that the permissions hold for whoever opens the PDF.
    const Encryption* encryption = nullptr;
    // A bookmark per picture (pages of one staged index), titled from here, at its first page;
    // a picture of several pages gets a child per page, "Page 2" and so on.
    const PictureTitles* titles = nullptr;
    // PDF/A (pdfa.h): XMP metadata, an sRGB output intent, every picture's colours defined;
    // at PDF/A-1b also PDF 1.4, transparency laid on white and 8-bit samples only. Refused
    // together with encryption.
    engine::PdfaLevel pdfa = engine::PdfaLevel::Off;
    // Set to the number of pages whose transparency was laid on white (PDF/A-1b).
    std::size_t* laidOnWhite = nullptr;
};

// Writes the document to `out` (left open), each page laid out as `layout` says. The pictures
// are read from disk only while they are written, one at a time. Returns false with `error` set on
// any failure, including a picture that changed size since its header was read.
bool writePdf(const std::vector<PageSource>& pages, const DocInfo& docInfo,
              const engine::PageLayout& layout, std::FILE* out, const PageWritten& onPageWritten,
              std::string& error, const WriteExtras& extras = {});

} // namespace pw::pdftool
