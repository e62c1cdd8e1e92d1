#pragma once
// Bilevel pages: a picture whose pixels are all black or white is staged as a one-strip
// CCITT Group 4 TIFF ("NNNNN.tif"), whatever the quality chosen; it is exact.
#include <cstdint>
#include <functional>
#include <string>

struct FIBITMAP;

namespace pw::pdftool {
struct G4Tiff;
}

namespace pw::engine {

// True for a bitmap whose every pixel is opaque black or opaque white (FreeImage's 1, 4, 8,
// 24 and 32-bit bitmaps; 32 bits only when the alpha is 255 everywhere).
bool IsBilevel(FIBITMAP* bitmap);

// Writes a bilevel `bitmap` (IsBilevel) to target as a Group 4 TIFF at the bitmap's resolution,
// or for a PNG or BMP `narrowSource` at the one that file states, exactly. False, with no file
// left, when it cannot be written.
bool SaveBilevelBitmap(FIBITMAP* bitmap, const std::string& narrowSource,
                       const std::string& target);

// Writes target from `nextRow`, called once per row from the top, each giving the row packed
// high bit first with 1 for black (the page's width, height and resolution from `page`).
bool WriteG4Tiff(const std::string& target, const pdftool::G4Tiff& page,
                 const std::function<const std::uint8_t*()>& nextRow);

// Page `page` (1-based) of a TIFF already in Group 4 as the builder takes it (readG4Tiff): its
// data is copied into target as it is. False, with no file left, for any other page.
bool StageG4Page(const std::string& narrowSource, int page, const std::string& target);

// Page `page` (1-based) of a TIFF of one bilevel sample a pixel, shown as stored, in strips
// of any codec libtiff has: its rows read with libtiff straight into a Group 4 page at target.
// False, with no file left, for any other page or one whose data fails.
bool StageBilevelTiffPage(const std::string& narrowSource, int page, const std::string& target);

} // namespace pw::engine
