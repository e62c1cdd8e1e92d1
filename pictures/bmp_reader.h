#pragma once
// BMP files read without FreeImage, whose reader refuses the 52- and 56-byte info headers, OS/2
// 2.x headers and some run-length pictures, and ignores colour masks other than the usual ones.
// Every header (OS/2 1.x and 2.x, Windows 40 to 124 bytes), 1, 2, 4, 8, 16, 24 and 32 bits a
// pixel, run lengths (RLE8, RLE4) and any colour and alpha masks are read here, and a JPEG or
// PNG picture held in place of the pixels is handed on whole.
#include "pictures/decoded.h"
#include "pictures/stop_flag.h"
#include "platform/opened_file.h"

#include <cstdint>
#include <optional>
#include <string>

namespace pw::pictures {

// True when the file starts with the BMP signature "BM".
bool hasBmpSignature(const std::string& narrowPath);

// Decodes a BMP. Palette pictures stay palette bitmaps (2 bits a pixel become 8; pixels a
// run-length picture leaves out are transparent white, the bitmap becoming 32-bit when the
// palette has no room for such an entry), others become 24-bit bitmaps, or 48-bit
// (FIT_RGB16) when a colour mask has more than 8 bits; an alpha channel is kept only when its
// mask gives one that is neither zero nor full everywhere (32-bit files often leave the fourth
// byte zero). The resolution is the header's, none when it gives none or an absurd one.
// Refused with an empty text when the file is not a BMP this reader knows (left to FreeImage),
// with the reason when it is one that cannot be read; refused too once `stop` is set, within a
// few rows.
Decoded loadBmp(const std::string& narrowPath, StopFlag stop = {});
Decoded loadBmp(const platform::OpenedFile& file, StopFlag stop = {});

// The JPEG or PNG picture a BMP holds in place of its pixels (compression 4 or 5): the
// picture's bytes and its usual extension, "jpg" or "png". nullopt for any other file, and
// for one whose picture lies outside it.
struct EmbeddedPicture {
    std::string bytes;
    std::string extension;
};
std::optional<EmbeddedPicture> bmpEmbeddedPicture(const std::string& narrowPath);
std::optional<EmbeddedPicture> bmpEmbeddedPicture(const platform::OpenedFile& file);

struct DotsPerMeter {
    std::uint32_t x = 0;
    std::uint32_t y = 0;
};

// The resolution a BMP's header states, as loadBmp keeps it: zero when it states none (OS/2
// 1.x headers, zeros) or one under 10 or over 10000 dpi. nullopt when the file is not a BMP
// this reader knows.
std::optional<DotsPerMeter> bmpResolution(const std::string& narrowPath);
std::optional<DotsPerMeter> bmpResolution(const platform::OpenedFile& file);

} // namespace pw::pictures
