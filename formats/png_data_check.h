#pragma once
// Checks a PNG's compressed image data while it streams past, without keeping the pixels: the
// zlib stream must be intact, hold exactly the rows the header asks for, and each row must start
// with a filter type a decoder knows. Readers decode this data, so this keeps the PDF clean.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>
#include <zlib.h>

namespace pw::formats {

class PngDataCheck {
public:
    // The picture's header values; interlaced pictures are checked pass by pass.
    PngDataCheck(int width, int height, int bitsPerPixel, bool interlaced);
    ~PngDataCheck();
    PngDataCheck(const PngDataCheck&) = delete;
    PngDataCheck& operator=(const PngDataCheck&) = delete;

    // Feeds the next piece of IDAT data; false once the data is known to be bad.
    bool feed(const unsigned char* data, std::size_t size);
    // True when the stream ended exactly after the last row. Sets `reason` otherwise.
    bool complete(std::string& reason) const;

private:
    bool consume(const unsigned char* data, std::size_t size);

    struct Rows {
        std::uint64_t count;
        std::uint64_t bytes; // filter byte included
    };
    std::vector<Rows> rows_;
    std::size_t segment_ = 0;
    std::uint64_t row_ = 0;
    std::uint64_t inRow_ = 0;
    z_stream stream_{};
    bool open_ = false;
    bool ended_ = false;
    std::string reason_;
    std::vector<unsigned char> out_;
};

} // namespace pw::formats
