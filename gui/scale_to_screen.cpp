#include "gui/scale_to_screen.h"

#include <cmath>

namespace pw::gui {

double twipsPerPixel(double logicalDpi) {
    if (logicalDpi <= 0)
        return kDesignTwipsPerPixel;
    return 1440.0 / logicalDpi;
}

TwipsRect ScaleToScreen(const TwipsRect& design, const ScreenScale& scale) {
    return {design.left * scale.fx(), design.top * scale.fy(), design.width * scale.fx(),
            design.height * scale.fy()};
}

double ScaleToScreen(double fontSize, const ScreenScale& scale) {
    return fontSize * scale.fx();
}

int twipsToPixels(double twips, double twipsPerPixel) {
    if (twipsPerPixel <= 0)
        return 0;
    return static_cast<int>(std::lround(twips / twipsPerPixel));
}

PixelRect toPixels(const TwipsRect& twips, const ScreenScale& scale) {
    return {twipsToPixels(twips.left, scale.twipsPerPixelX),
            twipsToPixels(twips.top, scale.twipsPerPixelY),
            twipsToPixels(twips.width, scale.twipsPerPixelX),
            twipsToPixels(twips.height, scale.twipsPerPixelY)};
}

PixelRect designToPixels(const TwipsRect& design, const ScreenScale& scale) {
    return toPixels(ScaleToScreen(design, scale), scale);
}

} // namespace pw::gui
