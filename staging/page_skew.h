#pragma once
// A page's skew, the small angle its text lines make with the horizontal, measured with
// Leptonica, and the page turned upright by it.
#include "pictures/bitmap.h"
#include "pictures/stop_flag.h"

struct FIBITMAP;

namespace pw::staging {

// Below this many degrees a page counts as straight: turning it would gain nothing.
inline constexpr double kLeastSkew = 0.1;

// The clockwise turn, in degrees, that sets the text lines of the page level (also lines that
// run down a page stored sideways), or 0 when the page is straight or shows no clear lines
// (a photo).
double pageSkew(FIBITMAP* bitmap);

// A copy of the bitmap turned `degrees` clockwise about its centre, the same size, the corners
// the turn uncovers white; with its resolution, metadata and colour profile. Black-and-white
// pictures stay black and white, gray ones gray, others become 24-bit colour (transparent parts
// on white, 16-bit samples in 8); then turned and mirrored as an EXIF `orientation` (2..8)
// says, for a copy that loses the JPEG's EXIF block. Null when it cannot be made, or once
// `stop` is set.
pictures::Bitmap straightenedCopy(FIBITMAP* bitmap, double degrees, pictures::StopFlag stop = {},
                                  int orientation = 1);

} // namespace pw::staging
