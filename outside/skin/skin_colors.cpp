#include "skin_colors.h"

#include "resources/theme.h"

#include <algorithm>
#include <cmath>

namespace pw::skin::skin {
namespace {

QColor hex(unsigned value) {
    return QColor(static_cast<int>((value >> 16) & 0xff), static_cast<int>((value >> 8) & 0xff),
                  static_cast<int>(value & 0xff));
}

// Moves `amount` percent of the way from `level` (0..255) towards 0 or 255.
int towards(int level, int amount) {
    amount = std::clamp(amount, -100, 100);
    if (amount < 0)
        return level + (level * amount) / 100;
    return level + ((255 - level) * amount) / 100;
}

double channel(int level) {
    const double c = level / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminance(const QColor& c) {
    return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) + 0.0722 * channel(c.blue());
}

constexpr double kMinContrast = 4.5;

QColor readableOn(const QColor& text, const QColor& background, double least = kMinContrast) {
    if (contrastRatio(text, background) >= least)
        return text;
    const QColor dark = hex(0x0f172a);
    const QColor light(Qt::white);
    return contrastRatio(dark, background) >= contrastRatio(light, background) ? dark : light;
}

} // namespace

SkinColors baseColors() {
    SkinColors c;
    c.window = hex(theme::kBody);
    c.windowText = hex(theme::kText);
    c.base = hex(theme::kPanel);
    c.alternateBase = hex(0xf3f6f9);
    c.text = hex(theme::kText);
    c.button = hex(0xf8fafc);
    c.buttonHover = hex(0xe0f2fe);
    c.buttonText = hex(theme::kText);
    c.border = hex(theme::kPanelBorder);
    c.accent = hex(theme::kAccent);
    c.highlight = hex(theme::kAccentDark);
    c.highlightedText = Qt::white;
    c.dimText = hex(theme::kTextDim);
    c.menu = hex(theme::kHeaderTop);
    c.menuBorder = hex(theme::kHeaderBorder);
    c.menuText = hex(theme::kHeaderText);
    return c;
}

QColor shiftColor(const QColor& colour, int hue, int saturation, int value) {
    const QColor hsl = colour.toHsl();
    int h = hsl.hslHue();
    if (h >= 0)
        h = ((h + hue) % 360 + 360) % 360; // achromatic colours (-1) keep no hue
    const int s = towards(hsl.hslSaturation(), saturation);
    const int l = towards(hsl.lightness(), value);
    return QColor::fromHsl(h, s, l, colour.alpha()).toRgb();
}

double contrastRatio(const QColor& a, const QColor& b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

SkinColors shiftedColors(int hue, int saturation, int value) {
    SkinColors c = baseColors();
    for (QColor* colour : {&c.window, &c.windowText, &c.base, &c.alternateBase, &c.text, &c.button,
                           &c.buttonHover, &c.buttonText, &c.border, &c.accent, &c.highlight,
                           &c.highlightedText, &c.dimText, &c.menu, &c.menuBorder, &c.menuText})
        *colour = shiftColor(*colour, hue, saturation, value);
    c.windowText = readableOn(c.windowText, c.window);
    c.text = readableOn(c.text, c.base);
    c.buttonText = readableOn(readableOn(c.buttonText, c.button), c.buttonHover);
    c.highlightedText = readableOn(c.highlightedText, c.highlight);
    c.menuText = readableOn(c.menuText, c.menu);
    c.dimText = readableOn(c.dimText, c.window, 3.0);
    return c;
}

} // namespace pw::skin::skin
