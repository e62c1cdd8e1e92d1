// The HEIF meta box reader of staging on the input as a file: the box is found and parsed, and
// every item's transformations are applied to pictures of a few sizes, whose shown part must
// lie inside them.
#include "engine/heif_meta.h"
#include "memory_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const pw::fuzz::MemoryFile file(data, size);
    if (!file.ok())
        return 0;
    const auto meta = pw::engine::ReadHeifMeta(file.path());
    if (!meta)
        return 0;
    if (meta->box.size() > size || meta->offset > size - meta->box.size())
        std::abort();
    for (const auto& [item, transforms] : meta->transforms) {
        for (const auto& [width, height] : {std::pair{1, 1}, {7, 5}, {64, 48}}) {
            const pw::engine::HeifShownPart part = pw::engine::ShownPart(width, height, transforms);
            if (part.left < 0 || part.top < 0 || part.width < 1 || part.height < 1 ||
                part.left + part.width > width || part.top + part.height > height ||
                part.orientation < 1 || part.orientation > 8)
                std::abort();
        }
    }
    return 0;
}
