#include "app/system_colors.h"

#include <array>

namespace pw::app {
namespace {

constexpr std::array<std::uint32_t, 31> kSystemColors = {
    rgbColor(200, 200, 200), //  0 scroll bar
    rgbColor(0, 0, 0),       //  1 desktop background
    rgbColor(153, 180, 209), //  2 active caption
    rgbColor(191, 205, 219), //  3 inactive caption
    rgbColor(240, 240, 240), //  4 menu
    rgbColor(255, 255, 255), //  5 window
    rgbColor(100, 100, 100), //  6 window frame
    rgbColor(0, 0, 0),       //  7 menu text
    rgbColor(0, 0, 0),       //  8 window text
    rgbColor(0, 0, 0),       //  9 caption text
    rgbColor(180, 180, 180), // 10 active border
    rgbColor(244, 247, 252), // 11 inactive border
    rgbColor(171, 171, 171), // 12 application workspace
    rgbColor(0, 120, 215),   // 13 highlight
    rgbColor(255, 255, 255), // 14 highlight text
    rgbColor(240, 240, 240), // 15 button face
    rgbColor(160, 160, 160), // 16 button shadow
    rgbColor(109, 109, 109), // 17 grey text
    rgbColor(0, 0, 0),       // 18 button text
    rgbColor(0, 0, 0),       // 19 inactive caption text
    rgbColor(255, 255, 255), // 20 button highlight
    rgbColor(105, 105, 105), // 21 3D dark shadow
    rgbColor(227, 227, 227), // 22 3D light
    rgbColor(0, 0, 0),       // 23 tooltip text
    rgbColor(255, 255, 225), // 24 tooltip background
    0,                       // 25 not defined
    rgbColor(0, 102, 204),   // 26 hot-tracked item
    rgbColor(185, 209, 234), // 27 active caption gradient
    rgbColor(215, 228, 242), // 28 inactive caption gradient
    rgbColor(0, 120, 215),   // 29 menu highlight
    rgbColor(240, 240, 240), // 30 menu bar
};

} // namespace

std::uint32_t systemColor(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= kSystemColors.size())
        return 0;
    return kSystemColors[static_cast<std::size_t>(index)];
}

} // namespace pw::app
