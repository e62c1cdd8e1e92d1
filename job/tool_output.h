#pragma once
// Reading the PDF builder's console output.
#include <string>
#include <vector>

namespace pw::job {

// The number a text starts with, read the way BASIC's Val does: blanks skipped, an optional
// sign, decimal digits with an optional fraction; 0 when the text does not start with one.
double leadingNumber(const std::string& text);

// The picture index a chunk of builder output reports: the last word (words split at single
// spaces) ending in ".jpg" or ".png" in any letter case, without those four characters, read by
// leadingNumber. 0 when no word qualifies.
double reportedIndex(const std::string& chunk);

// Indices of the staged pictures the builder reports as skipped (lines starting
// "Skipped 00003.jpg: why" or "Skipped 00004.png: why", also of a later page:
// "Skipped 00003_0002.jpg: why"), in the order reported.
std::vector<int> skippedIndices(const std::string& outputs);

// The staged pages the builder reports as skipped: "Skipped 00003.jpg: why" is page 1 of
// picture 3, "Skipped 00003_0002.jpg: why" its page 2.
struct SkippedPage {
    int index = 0;
    int page = 1;
    std::string reason; // the builder's "why"
};
std::vector<SkippedPage> skippedPages(const std::string& outputs);

// The pictures the builder reports as laid on white (lines starting "Laid on white: N"),
// summed over its lines.
long long laidOnWhiteCount(const std::string& outputs);

// Nearest whole number, halves to the even neighbour (12.5 -> 12, 37.5 -> 38).
long long roundHalfEven(double value);

} // namespace pw::job
