#pragma once
// Bilevel pages: a picture whose pixels are all black or white is staged, whatever the quality
// chosen, exactly: as a JBIG2 page ("NNNNN.jb2", formats/jbig2_page.h) the builder copies as it
// is, or for --bilevel g4 as a one-strip CCITT Group 4 TIFF ("NNNNN.tif"). Each function below
// writes the coding its target's name says.
#include "formats/g4_tiff.h"
#include "jobfiles/job_options.h"
#include "pictures/picture_file.h"
#include "pictures/stop_flag.h"

#include <cstdint>
#include <functional>
#include <string>

struct FIBITMAP;
typedef struct tiff TIFF;

namespace pw::staging {

// The staged name of a bilevel page at `stem`: ".jb2" or ".tif" as `coding` says.
std::string bilevelTarget(const std::string& stem, jobfiles::BilevelCoding coding);

// True for a bitmap whose every pixel is opaque black or opaque white (FreeImage's 1, 4, 8,
// 24 and 32-bit bitmaps; 32 bits only when the alpha is 255 everywhere).
bool isBilevel(FIBITMAP* bitmap);

// Writes a bilevel `bitmap` (isBilevel) to target at the bitmap's resolution,
// or for a PNG or BMP `source` at the one that file states, exactly. False, with no file
// left, when it cannot be written or `stop` is set meanwhile.
bool saveBilevelBitmap(FIBITMAP* bitmap, const pictures::PictureFile& source,
                       const std::string& target, pictures::StopFlag stop = {});

// Writes target from `nextRow`, called once per row from the top, each giving the row packed
// high bit first with 1 for black (the page's width, height and resolution from `page`). False,
// with no file left, when it cannot be written or `stop` is set meanwhile.
bool writeBilevelPage(const std::string& target, const formats::G4Tiff& page,
                      const std::function<const std::uint8_t*()>& nextRow,
                      pictures::StopFlag stop = {});

// The bilevel pages of one TIFF staged without decoding them into a bitmap, each reader keeping
// its handle from page to page (pages in order cost one directory each).
class TiffBilevelPages {
public:
    // Once `stop` is set, a page being staged is given up within a few rows.
    // `source` must outlive this.
    explicit TiffBilevelPages(const pictures::PictureFile& source, pictures::StopFlag stop = {});
    ~TiffBilevelPages();
    TiffBilevelPages(const TiffBilevelPages&) = delete;
    TiffBilevelPages& operator=(const TiffBilevelPages&) = delete;

    // Page `page` (1-based) as a bilevel page at target: a page already in Group 4 as the
    // builder takes it (readG4Tiff) has its data copied as it is to a ".tif" target, or decoded
    // into JBIG2; a page of one bilevel sample a pixel, shown as stored, in strips of any codec
    // libtiff has, has its rows read straight into the target's coding. False, with no file
    // left, for any other page or one whose data fails.
    bool stage(int page, const std::string& target);

private:
    bool stageG4(int page, const std::string& target);
    bool stageBilevel(int page, const std::string& target);

    const pictures::PictureFile& source_;
    pictures::StopFlag stop_;
    formats::G4TiffPages g4_;
    TIFF* tiff_ = nullptr; // the bilevel reader's, opened by its first page
    bool opened_ = false;
    int current_ = 0;
};

} // namespace pw::staging
