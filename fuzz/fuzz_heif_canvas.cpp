// The HEIF box reader staging runs before libheif decodes a picture: the primary item's grid or
// overlay size and whether its tiles cover it.
#include "memory_file.h"
#include "pictures/heif_canvas.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const pw::fuzz::MemoryFile file(data, size);
    if (!file.ok())
        return 0;
    const auto canvas = pw::pictures::readHeifCanvas(file.path());
    return canvas && canvas->width == 0xFFFFFFFF && !canvas->covered ? 1 : 0;
}
