#pragma once
// Turning any FreeImage bitmap into the 24-bit one a JPEG is saved from.
#include "pictures/stop_flag.h"

struct FIBITMAP;

namespace pw::pictures {

// A new 24-bit copy of bitmap. Transparent pixels (an alpha channel, or a palette's
// transparent entries) are laid over white, so the colour hidden under them never shows. With
// fourthByteMayBeUnused (32-bit BMP files, which often leave it zero), a picture whose alpha
// is zero everywhere is taken as opaque. nullptr when FreeImage cannot convert it, or once
// `stop` is set.
FIBITMAP* opaqueCopy24(FIBITMAP* bitmap, bool fourthByteMayBeUnused, StopFlag stop = {});

} // namespace pw::pictures
