// The HEIF meta box reader of staging on the input as a file: the box is found and parsed, and
// every item's transformations are applied to pictures of a few sizes, whose shown region must
// lie inside them.
#include "memory_file.h"
#include "pictures/heif_meta.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const pw::fuzz::MemoryFile file(data, size);
    if (!file.ok())
        return 0;
    const auto meta = pw::pictures::readHeifMeta(file.path());
    if (!meta)
        return 0;
    if (meta->box.size() > size || meta->offset > size - meta->box.size())
        std::abort();
    for (const auto& [item, transforms] : meta->transforms) {
        for (const auto& [width, height] : {std::pair{1, 1}, {7, 5}, {64, 48}}) {
            const pw::pictures::HeifRegion region =
                pw::pictures::shownRegion(width, height, transforms);
            if (region.left < 0 || region.top < 0 || region.width < 1 || region.height < 1 ||
                region.left + region.width > width || region.top + region.height > height ||
                region.orientation < 1 || region.orientation > 8)
                std::abort();
        }
    }
    return 0;
}
