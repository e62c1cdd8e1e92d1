// The PNG reader of quality staging on the input's bytes: the file is opened (1-bit gray ones
// too), and when it is taken every row is read.
#include "memory_file.h"
#include "pictures/png_rows.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const pw::fuzz::MemoryFile file(data, size);
    if (!file.ok())
        return 0;
    pw::pictures::PngRows rows;
    if (!rows.open(file.path(), true))
        return 0;
    const bool bits = rows.bitDepth() == 1;
    const std::size_t last =
        bits ? (std::size_t{rows.width()} + 7) / 8 - 1 : std::size_t{rows.width()} * 3 - 1;
    unsigned sum = 0;
    for (std::uint32_t y = 0; y < rows.height(); ++y) {
        const std::uint8_t* row = bits ? rows.nextStoredRow() : rows.nextRow();
        sum += row[0] + row[last]; // both ends must be readable
    }
    return sum == 0xFFFFFFFF ? 1 : 0;
}
