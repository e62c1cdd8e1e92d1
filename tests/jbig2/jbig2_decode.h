#pragma once
// A JBIG2 page decoded by the jbig2dec library, for checking the encoder's round trip.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pw::jbig2::test {

struct Decoded {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint8_t> rows; // (width + 7) / 8 bytes a row, 1 = black, spare bits 0
};

// Decodes `data`: the segments of a PDF stream (`embedded`) or a .jb2 file. std::nullopt when
// jbig2dec gives no page; its warnings and errors go to `heard`.
std::optional<Decoded> decode(const std::vector<std::uint8_t>& data, bool embedded,
                              std::string& heard);

} // namespace pw::jbig2::test
