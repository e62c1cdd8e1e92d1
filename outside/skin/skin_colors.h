#pragma once
// The skin's colour set, taken from the artwork's theme, and its hue/saturation/value shift.
#include <QColor>

namespace pw::skin::skin {

struct SkinColors {
    QColor window;        // dialog surfaces
    QColor windowText;    // text on them
    QColor base;          // input fields and lists
    QColor alternateBase; // alternating rows, disabled fields
    QColor text;          // text in fields
    QColor button;        // push buttons
    QColor buttonHover;   // push button under the pointer
    QColor buttonText;
    QColor border;          // field and button outlines
    QColor accent;          // focus outlines
    QColor highlight;       // selection
    QColor highlightedText; // text on the selection
    QColor dimText;         // disabled and placeholder text
    QColor menu;            // pop-up menus and tool tips, dark like the window header
    QColor menuBorder;
    QColor menuText;
};

// The unshifted colours, matching the front window's artwork.
SkinColors baseColors();

// Shifts one colour: hue by `hue` degrees; saturation and lightness by a percentage in
// -100..100 of the way towards none / full (values outside are clamped). Lightness stands
// for the "value" of the skin's adjustment.
QColor shiftColor(const QColor& colour, int hue, int saturation, int value);

// Every colour shifted, then each text colour that would read poorly on its background
// (contrast below 4.5 : 1) replaced by the better of near-black and white.
SkinColors shiftedColors(int hue, int saturation, int value);

// WCAG contrast ratio of two colours, 1..21.
double contrastRatio(const QColor& a, const QColor& b);

} // namespace pw::skin::skin
