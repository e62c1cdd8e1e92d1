// The EXIF reader on an APP1 payload ("Exif\0\0" and the TIFF data).
#include "formats/exif.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const pw::formats::ExifFields fields = pw::formats::parseExif(data, size);
    if (fields.orientation < 0 || fields.orientation > 8)
        __builtin_trap();
    return 0;
}
