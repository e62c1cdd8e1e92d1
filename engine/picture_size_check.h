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
// ever decode to the pixels its header claims: exactly for PNG and a TIFF's first page (see
// TiffDataTooShort), and for other formats by GeneralDataTooShort.
std::string HeaderTooLarge(int format, const std::string& narrowPath);
// The same for the TIFF directory `tiff` is at, in a file of `fileBytes`: its strips or tiles
// against its pixels, at the best ratio of its compression (none, Deflate, LZW, PackBits,
// Zstandard; one bit a row for the fax codecs; JPEG by the general rule; other compressions
// pass).
std::string TiffDataTooShort(TIFF* tiff, std::uint64_t fileBytes);
// "W x H pixels claimed with too little image data for them".
std::string TooLittleDataReason(std::uint32_t width, std::uint32_t height);
// The general rule for codecs without a known best ratio: pixels taking over 256 MB once
// decoded need at least 1/4096 of that in data, which no real file comes near. The reason a
// width x height picture of `pixelBytes` is refused, or empty.
std::string GeneralDataTooShort(std::uint32_t width, std::uint32_t height, std::uint64_t pixelBytes,
                                std::uint64_t dataBytes);
// The size of a file; 0 when it cannot be read.
std::uint64_t FileBytes(const std::string& narrowPath);
std::string BitmapTooLarge(FIBITMAP* bitmap);

} // namespace pw::engine
