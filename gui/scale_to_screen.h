#pragma once
// Layouts are designed in twips at 15 twips per pixel. Loading a window rescales every design
// value by the screen's twips per pixel / 15, so windows keep their pixel size at any DPI.

namespace pw::gui {

struct TwipsRect {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
};

struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

inline constexpr double kDesignTwipsPerPixel = 15.0;

// 1440 / logical DPI; 15 at 96 DPI, 12 at 120 DPI.
double twipsPerPixel(double logicalDpi);

struct ScreenScale {
    double twipsPerPixelX = kDesignTwipsPerPixel;
    double twipsPerPixelY = kDesignTwipsPerPixel;
    double fx() const { return twipsPerPixelX / kDesignTwipsPerPixel; }
    double fy() const { return twipsPerPixelY / kDesignTwipsPerPixel; }
};

// The design rectangle multiplied by fx (left, width) and fy (top, height): still twips.
TwipsRect ScaleToScreen(const TwipsRect& design, const ScreenScale& scale);
// A font size multiplied by fx.
double ScaleToScreen(double fontSize, const ScreenScale& scale);

// Twips on this screen to whole pixels (rounded to nearest).
int twipsToPixels(double twips, double twipsPerPixel);
PixelRect toPixels(const TwipsRect& twips, const ScreenScale& scale);

// A design rectangle as it lands on screen: scaled, then converted to pixels.
PixelRect designToPixels(const TwipsRect& design, const ScreenScale& scale);

} // namespace pw::gui
