#pragma once
// Reading a whole file for the decoders that take their input from memory.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pw::pictures {

// The file's bytes; none when it cannot be read.
std::optional<std::vector<std::uint8_t>> readFileBytes(const std::string& narrowPath);

} // namespace pw::pictures
