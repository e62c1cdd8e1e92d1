#pragma once
// FreeImage 3.18 refuses some BMP files with the V4 / V5 info header (108 or 124 bytes) that
// current editors write. Their first 40 bytes are the classic info header, so such a file is
// read again with the header cut down to that.
#include <string>
#include <vector>

struct FIBITMAP;

namespace pw::engine {

// The file's bytes with a V4 / V5 info header rewritten as a 40-byte one (plus the three colour
// masks for bit-field pictures); empty when the file is not such a BMP or is malformed.
std::vector<unsigned char> BmpWithClassicHeader(const std::vector<unsigned char>& file);

// Loads a BMP through BmpWithClassicHeader; nullptr when that does not apply or fails, with
// `problem` set when its header claims too much (see HeaderTooLarge).
FIBITMAP* LoadBmpWithClassicHeader(const std::string& path, std::string& problem);

} // namespace pw::engine
