// The Group 4 TIFF reader on the input's bytes, as pdf.exe runs it on a staged ".tif" page and
// staging on a scanner's TIFF: a page it takes must have its strip inside the file.
#include "formats/g4_tiff.h"
#include "memory_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const pw::fuzz::MemoryFile file(data, size);
    if (!file.ok())
        return 0;
    std::string reason;
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
