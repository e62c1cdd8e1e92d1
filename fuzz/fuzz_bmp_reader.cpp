// The BMP reader of staging on the input's bytes: when it gives a bitmap, both ends of every
// row must be readable.
#include "memory_file.h"
#include "pictures/bmp_reader.h"

#include <FreeImage.h>
#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const pw::fuzz::MemoryFile file(data, size);
    if (!file.ok())
        return 0;
    std::string problem;
    FIBITMAP* bitmap = pw::pictures::loadBmp(file.path(), problem);
    if (bitmap == nullptr)
        return 0;
    unsigned sum = 0;
    const unsigned lineBytes = FreeImage_GetLine(bitmap);
    for (unsigned y = 0; y < FreeImage_GetHeight(bitmap); ++y) {
        const BYTE* line = FreeImage_GetScanLine(bitmap, static_cast<int>(y));
        sum += line[0] + line[lineBytes - 1];
    }
    FreeImage_Unload(bitmap);
    return sum == 0xFFFFFFFF ? 1 : 0;
}
