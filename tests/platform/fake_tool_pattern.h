#pragma once
// The bytes the fake tool prints for "print:N": a running pattern, so order is checkable.
#include <cstddef>
#include <string>

namespace pw::test {

// Bytes [offset, offset + count) of the endless pattern: lines of 63 letters and a newline.
inline std::string toolPattern(std::size_t offset, std::size_t count) {
    std::string text;
    text.reserve(count);
    for (std::size_t i = offset; i < offset + count; ++i)
        text += (i % 64 == 63) ? '\n' : static_cast<char>('A' + (i / 64 + i % 64) % 26);
    return text;
}

} // namespace pw::test
