#pragma once
// The pixel limit applied to a picture file before FreeImage decodes it.
#include "platform/opened_file.h"

#include <cstddef>
#include <cstdint>
#include <string>

struct FIBITMAP;
typedef struct tiff TIFF;

namespace pw::pictures {

// Reads only the header (FIF_LOAD_NOPIXELS) of the file in the given FreeImage format and
// returns the reason it is refused when it claims more pixels than the limit; empty when it
// does not, or when the format cannot tell without decoding (the decoded bitmap is then
// checked with bitmapTooLarge). A picture is also refused when its image data is too short to
// ever decode to the pixels its header claims: exactly for PNG and a TIFF's first page (see
// tiffDataTooShort), and for other formats by generalDataTooShort. A GIF is refused when its
// logical screen (its page) or its first frame (decoded whole) reaches the limit.
std::string headerTooLarge(int format, const std::string& narrowPath);
std::string headerTooLarge(int format, const platform::OpenedFile& file);
// The same for the TIFF directory `tiff` is at, in a file of `fileBytes`: its strips or tiles
// against its pixels, at the best ratio of its compression (none, Deflate, LZW, PackBits,
// Zstandard; one bit a row for the fax codecs; JPEG by the general rule; other compressions
// pass).
std::string tiffDataTooShort(TIFF* tiff, std::uint64_t fileBytes);
// HEVC pictures (HEIC) need a bit for every 64 x 64 pixels.
std::string hevcDataTooShort(std::uint32_t width, std::uint32_t height, std::uint64_t dataBytes);
// A WebP file's canvas, put together from its first frame, by the general rule on its RGBA
// pixels, but for those a lossless first frame covers: lossless coding can give a pixel no
// bits at all (a white 8192 x 8193 picture takes 38 bytes). Lossy coding (VP8) takes 3.4 bits
// at best for a 16 x 16 block, some 2400 bytes of RGBA for one (the same picture takes 113828
// bytes); canvas beyond the first frame takes none.
std::string webpDataTooShort(const std::uint8_t* data, std::size_t size);
// The size of a file; 0 when it cannot be read.
std::uint64_t fileBytes(const std::string& narrowPath);
std::string bitmapTooLarge(FIBITMAP* bitmap);

} // namespace pw::pictures
