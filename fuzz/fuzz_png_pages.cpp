// The builder's PNG reader on the input's bytes, as pdf.exe runs it on a staged PNG: the chunks
// are walked and checked, and for a picture it takes the planes its page would decode (the
// colours unless its data is copied, and the alpha, or the colours laid on white) are made.
#include "formats/png_bytes.h"
#include "formats/png_info.h"
#include "memory_file.h"
#include "outside/pdftool/png_planes.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>
#include <zlib.h>

namespace {

// Chunk CRCs are mended first, so mutated chunks reach the code behind the CRC check.
void mendCrcs(std::vector<std::uint8_t>& png) {
    std::size_t at = 8;
    while (at + 12 <= png.size()) {
        const std::uint32_t length = pw::formats::bigEndian32(png.data() + at);
        if (length > png.size() - at - 12)
            return;
        const uLong crc = crc32(0L, png.data() + at + 4, static_cast<uInt>(length) + 4);
        std::uint8_t* stored = png.data() + at + 8 + length;
        for (int b = 0; b < 4; ++b)
            stored[b] = static_cast<std::uint8_t>(crc >> (24 - 8 * b));
        at += 12 + std::size_t{length};
    }
}

[[noreturn]] void fail(const std::string& what) {
    std::fprintf(stderr, "PNG taken, but %s\n", what.c_str());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> png(data, data + size);
    mendCrcs(png);
    const pw::fuzz::MemoryFile file(png.data(), png.size());
    if (!file.ok())
        return 0;
    std::string reason;
    const std::optional<pw::formats::PngInfo> info = pw::formats::readPngInfo(file.path(), reason);
    const std::optional<std::string> profile = pw::formats::readPngIccProfile(file.path());
    if (!info)
        return 0;
    if (!profile || *profile != info->iccProfile)
        fail("its profile differs from the one read before the image data");
    // A picture the reader takes must decode: a failure while the PDF is written costs every
    // page of it.
    pw::pdftool::PngPlanes planes;
    std::string error;
    if (!info->copiesIdat() &&
        (!pw::pdftool::encodePngPlanes(file.path(), *info, true, planes, error) ||
         planes.colour.empty()))
        fail("its colours do not decode: " + error);
    if (info->hasAlpha() &&
        (!pw::pdftool::encodePngPlanes(file.path(), *info, false, planes, error) ||
         planes.alpha.empty()))
        fail("its alpha does not decode: " + error);
    // PDF/A-1b lays a decoded picture's transparency on white in 8 bits.
    std::string opaque;
    if (!info->copiesIdat() && info->colourType != 3 &&
        (!pw::pdftool::encodeOpaquePng(file.path(), *info, opaque, error) || opaque.empty()))
        fail("it does not decode opaque: " + error);
    return 0;
}
