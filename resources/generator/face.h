#pragma once
// The whole front window face, with at most one button drawn lit or pushed.
#include <QImage>

namespace pw::artgen {

enum class Part { None, Toolbar, Menu, Convert, Stop, Up, Down };
enum class Look { Rest, Hover, Pressed };

struct Highlight {
    Part part = Part::None;
    int index = 0;
    Look look = Look::Rest;
};

// 553 x 371, RGB; everything outside the rounded outline is exactly the key colour.
QImage drawFace(const Highlight& highlight = {});

// True when (x, y) lies inside the window's outline. Decided per pixel centre, without blending.
bool insideOutline(int x, int y);

} // namespace pw::artgen
