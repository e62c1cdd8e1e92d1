#pragma once
// The system colours the colour property understands, by their Windows index (COLOR_BTNFACE is
// 15 ...). Values are in the Windows layout 0x00BBGGRR (red in the low byte) and are the
// standard colours of a default Windows desktop, since Linux has no such table.
#include <cstdint>

namespace pw::app {

// The colour of a system colour index; 0 (black) for an index Windows does not define, as
// GetSysColor gives.
std::uint32_t systemColor(int index);

// r, g and b packed as 0x00BBGGRR.
constexpr std::uint32_t rgbColor(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return static_cast<std::uint32_t>(r) | (static_cast<std::uint32_t>(g) << 8) |
           (static_cast<std::uint32_t>(b) << 16);
}

} // namespace pw::app
