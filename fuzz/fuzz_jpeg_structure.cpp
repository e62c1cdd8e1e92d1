// The walk over every marker segment and the entropy-coded data of a staged JPEG.
#include "formats/jpeg_structure.h"

#include <cstdint>
#include <cstdio>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0; // fmemopen needs a buffer
    std::FILE* file = fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
    if (file == nullptr)
        return 0;
    std::string reason;
    pw::formats::checkJpegStructure(file, reason);
    std::fclose(file);
    return 0;
}
