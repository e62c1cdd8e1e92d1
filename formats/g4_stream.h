#pragma once
// Group 4 (T.6) data checked as PDF readers decode a /CCITTFaxDecode stream with /K -1. libtiff
// decodes leniently (a run past the row's end is cut off, rows past the height are ignored), so
// data it reads without a word can come out nearly blank in poppler and MuPDF; no packaged
// library decodes by the readers' stricter rules, so the check is written here.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace pw::formats {

// Decodes `size` bytes of Group 4 data of a width x height page and returns why a PDF reader
// could decode it otherwise than libtiff, or empty when none could: every code is one of T.6's
// (no uncompressed mode), every row ends exactly at `width` (no run or vertical code reaching
// past it, no change of colour going back), there are exactly `height` rows, and after them
// come only zero bits or an end-of-block code (two EOLs) and zero bits. With `rows` the page is
// also handed back, rows packed high bit first, 1 for the coded black.
std::string checkG4Stream(const std::uint8_t* data, std::size_t size, std::uint32_t width,
                          std::uint32_t height, std::vector<std::uint8_t>* rows = nullptr);

} // namespace pw::formats
