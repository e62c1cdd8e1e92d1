// The JBIG2 encoder on a bitmap made from the input, decoded again by jbig2dec: the page must
// come back pixel for pixel. The input: width - 1 and height - 1 (two bytes each, big-endian,
// bounded), a flags byte (bit 0: a set bit is white; bit 1: rows bottom-up; bit 2: the file form;
// bits 3-5: spare bytes a row), then the pixel bytes, repeated to fill the rows.
#include "jbig2/encoder.h"
#include "jbig2_decode.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 5)
        return 0;
    const std::uint32_t width = 1 + ((std::uint32_t{data[0]} << 8 | data[1]) % 12000);
    std::uint32_t height = 1 + ((std::uint32_t{data[2]} << 8 | data[3]) % 4000);
    height = std::max<std::uint32_t>(1, std::min(height, (1U << 18) / width));
    const std::uint8_t flags = data[4];
    const bool whiteIs1 = (flags & 1) != 0;
    const bool bottomUp = (flags & 2) != 0;
    const bool file = (flags & 4) != 0;
    const std::size_t rowBytes = (std::size_t{width} + 7) / 8;
    const std::size_t stride = rowBytes + ((flags >> 3) & 7);
    data += 5;
    size -= 5;

    std::vector<std::uint8_t> rows(stride * height, 0);
    for (std::size_t i = 0; size > 0 && i < rows.size(); ++i)
        rows[i] = data[i % size];
    // What the decoder must give: rows from the top, tight, 1 = black, spare bits clear.
    std::vector<std::uint8_t> expected(rowBytes * height);
    for (std::uint32_t y = 0; y < height; ++y) {
        const std::uint8_t* row = rows.data() + (bottomUp ? height - 1 - y : y) * stride;
        for (std::size_t i = 0; i < rowBytes; ++i)
            expected[y * rowBytes + i] = whiteIs1 ? static_cast<std::uint8_t>(~row[i]) : row[i];
        expected[y * rowBytes + rowBytes - 1] &=
            static_cast<std::uint8_t>(0xFF << (8 * rowBytes - width));
    }

    const auto signedStride = static_cast<std::ptrdiff_t>(stride);
    const pw::jbig2::Bitmap bitmap{bottomUp ? rows.data() + (height - 1) * stride : rows.data(),
                                   width, height, bottomUp ? -signedStride : signedStride,
                                   !whiteIs1};
    const std::vector<std::uint8_t> coded =
        file ? pw::jbig2::encodeFile(bitmap) : pw::jbig2::encodeEmbedded(bitmap);
    std::string heard;
    const auto decoded = pw::jbig2::test::decode(coded, !file, heard);
    if (!decoded || !heard.empty() || decoded->width != width || decoded->height != height ||
        decoded->rows != expected) {
        std::fprintf(stderr, "%u x %u page not decoded as coded: %s\n", width, height,
                     heard.c_str());
        std::abort();
    }
    return 0;
}
