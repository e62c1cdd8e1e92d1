#pragma once
// The pixel limit applied to a picture file before FreeImage decodes it.
#include <cstdint>
#include <string>

struct FIBITMAP;
typedef struct tiff TIFF;

namespace pw::engine {

// Reads only the header (FIF_LOAD_NOPIXELS) of the file in the given FreeImage format and
// returns the reason it is refused when it claims more pixels than the limit; empty when it
// does not, or when the format cannot tell without decoding (the decoded bitmap is then
// checked with BitmapTooLarge). A picture is also refused when its image data is too short to
// ever decode to the pixels its header claims: exactly for PNG and a TIFF's first page, and
// for other formats when it would take over 256 MB. A GIF is refused when its logical screen
// (its page) or its first frame (decoded whole) reaches the limit.
std::string HeaderTooLarge(int format, const std::string& narrowPath);
// The same for the TIFF directory `tiff` is at, in a file of `fileBytes`: its strips or tiles
// against its pixels, at the best ratio of its compression (none, Deflate, LZW, PackBits; other
// compressions pass).
std::string TiffDataTooShort(TIFF* tiff, std::uint64_t fileBytes);
// The size of a file; 0 when it cannot be read.
std::uint64_t FileBytes(const std::string& narrowPath);
std::string BitmapTooLarge(FIBITMAP* bitmap);

} // namespace pw::engine
