#include "pictures/gif_screen.h"

#include <FreeImage.h>
#include <algorithm>
#include <array>
#include <cstring>

namespace pw::pictures {
namespace {

// A one-number tag FreeImage's GIF reader leaves in the animation metadata; 0 when missing.
unsigned animationTag(FIBITMAP* bitmap, const char* key) {
    FITAG* tag = nullptr;
    if (!FreeImage_GetMetadata(FIMD_ANIMATION, bitmap, key, &tag) || tag == nullptr ||
        FreeImage_GetTagType(tag) != FIDT_SHORT || FreeImage_GetTagCount(tag) != 1)
        return 0;
    return *static_cast<const WORD*>(FreeImage_GetTagValue(tag));
}

// The frame's part on the screen, in screen pixels from the top left.
struct Shown {
    unsigned left, top, right, bottom;
};

// The index of frame pixel (x, y), counted from the top.
BYTE indexAt(FIBITMAP* frame, unsigned x, unsigned y) {
    BYTE index = 0;
    FreeImage_GetPixelIndex(frame, x, FreeImage_GetHeight(frame) - 1 - y, &index);
    return index;
}

// An index that can stand for the transparent screen around the frame: the frame's own
// transparent one, else one that no shown pixel uses; -1 when the shown pixels use all 256.
int clearIndex(FIBITMAP* frame, const Shown& shown, unsigned frameLeft, unsigned frameTop) {
    const int transparent = FreeImage_GetTransparentIndex(frame);
    if (transparent >= 0)
        return transparent;
    const unsigned bits = FreeImage_GetBPP(frame);
    if (bits < 8)
        return 1 << bits; // past the frame's palette in the screen's 8 bits
    std::array<bool, 256> used{};
    for (unsigned y = shown.top; y < shown.bottom; ++y) {
        for (unsigned x = shown.left; x < shown.right; ++x)
            used[indexAt(frame, x - frameLeft, y - frameTop)] = true;
    }
    const auto unused = std::find(used.begin(), used.end(), false);
    return unused == used.end() ? -1 : static_cast<int>(unused - used.begin());
}

// The alpha of each of the frame's palette entries.
std::array<BYTE, 256> alphaTable(FIBITMAP* frame) {
    std::array<BYTE, 256> alpha{};
    alpha.fill(255);
    const BYTE* table = FreeImage_GetTransparencyTable(frame);
    const unsigned count = std::min(FreeImage_GetTransparencyCount(frame), 256u);
    if (table != nullptr)
        std::copy(table, table + count, alpha.begin());
    return alpha;
}

} // namespace

FIBITMAP* placeOnGifScreen(FIBITMAP* frame) {
    if (frame == nullptr || FreeImage_GetImageType(frame) != FIT_BITMAP ||
        FreeImage_GetBPP(frame) > 8)
        return frame;
    const unsigned screenWidth = animationTag(frame, "LogicalWidth");
    const unsigned screenHeight = animationTag(frame, "LogicalHeight");
    const unsigned left = animationTag(frame, "FrameLeft");
    const unsigned top = animationTag(frame, "FrameTop");
    const unsigned width = FreeImage_GetWidth(frame);
    const unsigned height = FreeImage_GetHeight(frame);
    if (screenWidth == 0 || screenHeight == 0 ||
        (left == 0 && top == 0 && width == screenWidth && height == screenHeight))
        return frame;
    const Shown shown{std::min(left, screenWidth), std::min(top, screenHeight),
                      std::min(left + width, screenWidth), std::min(top + height, screenHeight)};
    const int clear = clearIndex(frame, shown, left, top);
    const std::array<BYTE, 256> alpha = alphaTable(frame);
    const RGBQUAD* palette = FreeImage_GetPalette(frame);
    const unsigned colours = FreeImage_GetColorsUsed(frame);
    FIBITMAP* screen =
        clear >= 0
            ? FreeImage_Allocate(static_cast<int>(screenWidth), static_cast<int>(screenHeight), 8)
            : FreeImage_Allocate(static_cast<int>(screenWidth), static_cast<int>(screenHeight), 32,
                                 FI_RGBA_RED_MASK, FI_RGBA_GREEN_MASK, FI_RGBA_BLUE_MASK);
    if (screen == nullptr || palette == nullptr) {
        if (screen != nullptr)
            FreeImage_Unload(screen);
        FreeImage_Unload(frame);
        return nullptr;
    }
    const unsigned step = clear >= 0 ? 1 : 4;
    for (unsigned y = 0; y < screenHeight; ++y) {
        BYTE* line = FreeImage_GetScanLine(screen, static_cast<int>(screenHeight - 1 - y));
        // Transparent black around the frame (in 8 bits: the clear index).
        std::memset(line, clear >= 0 ? clear : 0, std::size_t{screenWidth} * step);
        if (y < shown.top || y >= shown.bottom)
            continue;
        for (unsigned x = shown.left; x < shown.right; ++x) {
            const BYTE index = indexAt(frame, x - left, y - top);
            if (clear >= 0) {
                line[x] = index;
                continue;
            }
            BYTE* pixel = line + std::size_t{4} * x;
            pixel[FI_RGBA_RED] = palette[index].rgbRed;
            pixel[FI_RGBA_GREEN] = palette[index].rgbGreen;
            pixel[FI_RGBA_BLUE] = palette[index].rgbBlue;
            pixel[FI_RGBA_ALPHA] = alpha[index];
        }
    }
    if (clear >= 0) {
        std::copy(palette, palette + std::min(colours, 256u), FreeImage_GetPalette(screen));
        std::array<BYTE, 256> table = alpha;
        table[static_cast<std::size_t>(clear)] = 0;
        FreeImage_SetTransparencyTable(screen, table.data(), 256);
    }
    FreeImage_SetDotsPerMeterX(screen, FreeImage_GetDotsPerMeterX(frame));
    FreeImage_SetDotsPerMeterY(screen, FreeImage_GetDotsPerMeterY(frame));
    FreeImage_Unload(frame);
    return screen;
}

} // namespace pw::pictures
