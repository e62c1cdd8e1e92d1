#pragma once
// Bilevel pages stored as CCITT Group 4 in a TIFF of one strip: what the builder embeds as a
// /CCITTFaxDecode image and what staging copies from a scanner's G4 TIFF, read with libtiff.
#include "formats/resolution.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pw::formats {

// The widest Group 4 page: libtiff's decoder keeps run arrays in proportion to the width, so a
// tiny file claiming a page of millions of pixels across would ask for gigabytes.
inline constexpr std::uint32_t kMostG4Width = 65535;

struct G4Tiff {
    std::uint64_t fileSize = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    // The page stores black as 0 (PhotometricInterpretation 1), so the coded "white" runs are
    // black: the PDF decoder's BlackIs1.
    bool blackIs1 = false;
    std::uint64_t stripOffset = 0; // the Group 4 data, byte for byte a /CCITTFaxDecode stream
    std::uint64_t stripBytes = 0;
    // The resolution tags as stored (0 without them) and in dots per inch by the rules of
    // formats/resolution.h (0 for none).
    float xResolution = 0.0F;
    float yResolution = 0.0F;
    int resolutionUnit = 2; // RESUNIT_INCH
    double xDpi = 0.0;
    double yDpi = 0.0;
};

// The resolution TIFF's XResolution, YResolution and ResolutionUnit state, by the rules of
// formats/resolution.h.
Resolution tagResolution(float x, float y, int unit);

// Reads page `page` (1-based) of the TIFF at `path` when it is one bilevel sample a pixel in
// Group 4 (no uncompressed mode), high bit first, in one strip, shown as stored, within the
// pixel limit, and its data decodes to exactly its rows without a complaint from libtiff and
// to the same rows by the rules PDF readers decode it by (checkG4Stream). On failure
// std::nullopt with a short reason. With `strip` the data is also handed back.
std::optional<G4Tiff> readG4Tiff(const std::string& path, std::string& reason, int page = 1,
                                 std::string* strip = nullptr);

// Page `page` of the TIFF as readG4Tiff takes it, decoded by libtiff into `rows` ((width + 7) / 8
// bytes a row, high bit first, 1 for the coded black: black unless blackIs1), without the check
// by PDF readers' rules: for a page whose data is coded anew rather than copied.
std::optional<G4Tiff> decodeG4Tiff(const std::string& path, std::string& reason,
                                   std::vector<std::uint8_t>& rows, int page = 1);

// The pages of one TIFF read as readG4Tiff reads them, with one handle kept from page to page
// (see selectTiffPage): pages in order cost one directory each.
class G4TiffPages {
public:
    explicit G4TiffPages(std::string path);
    // The TIFF open on descriptor `fd` (left open; `name` for messages).
    G4TiffPages(int fd, std::string name);
    ~G4TiffPages();
    G4TiffPages(const G4TiffPages&) = delete;
    G4TiffPages& operator=(const G4TiffPages&) = delete;

    std::optional<G4Tiff> read(int page, std::string& reason, std::string* strip = nullptr);
    std::optional<G4Tiff> decode(int page, std::string& reason, std::vector<std::uint8_t>& rows);

private:
    // Without `rows`, checked by PDF readers' rules as well (read); with them, handed back.
    std::optional<G4Tiff> readPage(int page, std::string& reason, std::string* strip,
                                   std::vector<std::uint8_t>* rows);

    struct Handle;
    std::string path_;
    int fd_ = -1;
    std::unique_ptr<Handle> handle_; // opened by the first read
};

} // namespace pw::formats
