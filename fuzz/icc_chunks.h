#pragma once
// The ICC fuzz input format: APP2 payloads, each as a two-byte big-endian length and the bytes.
// The target wraps them in a small valid JPEG; make_seeds writes them from real pictures.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace pw::fuzz {

inline std::vector<std::string> splitChunks(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> chunks;
    std::size_t at = 0;
    while (at + 2 <= size) {
        std::size_t length = (static_cast<std::size_t>(data[at]) << 8) | data[at + 1];
        at += 2;
        if (length > size - at)
            length = size - at;
        if (length > 65533)
            length = 65533; // the largest marker payload
        chunks.emplace_back(reinterpret_cast<const char*>(data + at), length);
        at += length;
    }
    return chunks;
}

inline std::string joinChunks(const std::vector<std::string>& chunks) {
    std::string joined;
    for (const std::string& chunk : chunks) {
        joined += static_cast<char>((chunk.size() >> 8) & 0xFF);
        joined += static_cast<char>(chunk.size() & 0xFF);
        joined += chunk;
    }
    return joined;
}

} // namespace pw::fuzz
