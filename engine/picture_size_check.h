#pragma once
// The pixel limit applied to a picture file before FreeImage decodes it.
#include <string>

struct FIBITMAP;

namespace pw::engine {

// Reads only the header (FIF_LOAD_NOPIXELS) of the file in the given FreeImage format and
// returns the reason it is refused when it claims more pixels than the limit; empty when it
// does not, or when the format cannot tell without decoding (the decoded bitmap is then
// checked with BitmapTooLarge). A PNG is also refused when its image data is too short to
// ever inflate to the pixels its header claims.
std::string HeaderTooLarge(int format, const std::string& narrowPath);
std::string BitmapTooLarge(FIBITMAP* bitmap);

} // namespace pw::engine
