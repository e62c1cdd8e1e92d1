#pragma once
// Checks a whole JPEG the way a decoder will meet it, without decoding any picture data.
#include <cstdio>
#include <string>

namespace pw::formats {

// Walks every marker segment and the entropy-coded data of `file` from its start and refuses
// what makes a JPEG decoder stop with an error (PDF readers and `qpdf --check` decode the
// embedded data with one): a second frame header, fractional chroma sampling (a sampling
// factor that does not divide the largest), a second scan after a sequential scan that held
// every component, unknown markers, malformed or inconsistent Huffman and quantization
// tables, scans naming undefined components or tables, invalid progressive parameters, too
// many blocks per MCU, and a missing end-of-image marker after the scan data. Damage inside the
// entropy-coded data only costs pixels and is accepted, as decoders do; so are bytes after the
// end-of-image marker. Returns false with `reason` set.
bool checkJpegStructure(std::FILE* file, std::string& reason);

// The reason for a file that ends inside or right after its picture data, without an
// end-of-image marker: cut short, or only that marker missing.
inline constexpr char kJpegTruncatedData[] = "truncated image data";

} // namespace pw::formats
