#pragma once
// Bilevel pages staged as JBIG2 (".jb2"): a short header with the page's size and resolution as
// the picture states it, then the page's /JBIG2Decode stream as pw::jbig2 codes it (a page
// information segment and one generic region), which the builder copies as it is.
#include <cstdint>
#include <optional>
#include <string>

namespace pw::formats {

struct Jbig2Page {
    std::uint64_t fileSize = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    // The resolution as TIFF tags would state it (0 for none) and in dots per inch by
    // tagResolution (0 for none).
    float xResolution = 0.0F;
    float yResolution = 0.0F;
    int resolutionUnit = 2; // RESUNIT_INCH
    double xDpi = 0.0;
    double yDpi = 0.0;
    std::uint64_t streamOffset = 0; // the stream, to the end of the file
    std::uint64_t streamBytes = 0;
};

// The header that goes before the stream of `page` (its size and resolution fields).
std::string jbig2PageHeader(const Jbig2Page& page);

// The staged page at `path` when its header, the stream's segment headers and the end of its
// coded data are as jbig2PageHeader and pw::jbig2 write them and the page is within the pixel
// limit; std::nullopt with a short reason otherwise. The coded data itself is not decoded.
std::optional<Jbig2Page> readJbig2Page(const std::string& path, std::string& reason);

} // namespace pw::formats
