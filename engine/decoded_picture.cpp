#include "engine/decoded_picture.h"

#include <FreeImage.h>
#include <vector>

namespace pw::engine {
namespace {

// Where the stored pixel (x, y) of a width x height picture lands when shown.
void shownPosition(int orientation, int x, int y, int width, int height, int& shownX, int& shownY) {
    switch (orientation) {
    case 2:
        shownX = width - 1 - x;
        shownY = y;
        break;
    case 3:
        shownX = width - 1 - x;
        shownY = height - 1 - y;
        break;
    case 4:
        shownX = x;
        shownY = height - 1 - y;
        break;
    case 5:
        shownX = y;
        shownY = x;
        break;
    case 6:
        shownX = height - 1 - y;
        shownY = x;
        break;
    case 7:
        shownX = height - 1 - y;
        shownY = width - 1 - x;
        break;
    case 8:
        shownX = y;
        shownY = width - 1 - x;
        break;
    default:
        shownX = x;
        shownY = y;
        break;
    }
}

BYTE overWhite(BYTE value, BYTE alpha) {
    return static_cast<BYTE>((value * alpha + 255 * (255 - alpha) + 127) / 255);
}

} // namespace

FIBITMAP* BitmapFromRows(const PixelRows& rows) {
    const bool turned = rows.orientation >= 5 && rows.orientation <= 8;
    const int shownWidth = turned ? rows.height : rows.width;
    const int shownHeight = turned ? rows.width : rows.height;
    FIBITMAP* bitmap = FreeImage_Allocate(shownWidth, shownHeight, 24);
    if (bitmap == nullptr)
        return nullptr;
    const int channels = rows.alpha ? 4 : 3;
    // FreeImage keeps the bottom row first.
    std::vector<BYTE*> lines(static_cast<std::size_t>(shownHeight));
    for (int y = 0; y < shownHeight; ++y)
        lines[static_cast<std::size_t>(y)] = FreeImage_GetScanLine(bitmap, shownHeight - 1 - y);
    for (int y = 0; y < rows.height; ++y) {
        const std::uint8_t* source = rows.data + static_cast<std::size_t>(y) * rows.stride;
        for (int x = 0; x < rows.width; ++x, source += channels) {
            int shownX = 0;
            int shownY = 0;
            shownPosition(rows.orientation, x, y, rows.width, rows.height, shownX, shownY);
            BYTE* target = lines[static_cast<std::size_t>(shownY)] + 3 * shownX;
            const BYTE alpha = rows.alpha ? source[3] : 255;
            target[FI_RGBA_RED] = overWhite(source[0], alpha);
            target[FI_RGBA_GREEN] = overWhite(source[1], alpha);
            target[FI_RGBA_BLUE] = overWhite(source[2], alpha);
        }
    }
    FreeImage_SetDotsPerMeterX(bitmap, 0);
    FreeImage_SetDotsPerMeterY(bitmap, 0);
    if (!rows.icc.empty()) {
        auto* data = const_cast<char*>(rows.icc.data()); // FreeImage copies the profile
        if (FreeImage_CreateICCProfile(bitmap, data, static_cast<long>(rows.icc.size())) ==
            nullptr) {
            FreeImage_Unload(bitmap);
            return nullptr;
        }
    }
    return bitmap;
}

} // namespace pw::engine
