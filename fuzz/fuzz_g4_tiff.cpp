// The Group 4 TIFF reader on the input's bytes, as pdf.exe runs it on a staged ".tif" page and
// staging on a scanner's TIFF: a page it takes must have its strip inside the file, and a page
// decoded for coding anew must come with all its rows.
#include "formats/g4_tiff.h"
#include "memory_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const pw::fuzz::MemoryFile file(data, size);
    if (!file.ok())
        return 0;
    std::string reason;
    std::vector<std::uint8_t> rows;
    if (const auto decoded = pw::formats::decodeG4Tiff(file.path(), reason, rows);
        decoded && rows.size() != (std::size_t{decoded->width} + 7) / 8 * decoded->height) {
        std::fprintf(stderr, "Group 4 page decoded to the wrong size\n");
        std::abort();
    }
    std::string strip;
    const std::optional<pw::formats::G4Tiff> page =
        pw::formats::readG4Tiff(file.path(), reason, 1, &strip);
    if (!page)
        return 0;
    if (page->fileSize != size || page->stripOffset + page->stripBytes > size ||
        strip.size() != page->stripBytes ||
        strip.compare(0, strip.size(), reinterpret_cast<const char*>(data) + page->stripOffset,
                      page->stripBytes) != 0) {
        std::fprintf(stderr, "Group 4 page taken with its strip outside the file\n");
        std::abort();
    }
    return 0;
}
