#pragma once
// Page size and picture placement for one JPEG.
#include "formats/resolution.h"
#include "jobfiles/job_options.h"

namespace pw::pdftool {

// Smallest and largest page side a PDF reader accepts, in user units.
inline constexpr double kMinPageSide = 3.0;
inline constexpr double kMaxPageSide = 14400.0;
using formats::kDefaultDpi;

struct PageGeometry {
    double width = 0.0; // MediaBox, in user units
    double height = 0.0;
    double userUnit = 1.0; // > 1 when the page is larger than kMaxPageSide points
    // Placement matrix of the image (a b c d e f), in user units.
    double matrix[6] = {1, 0, 0, 1, 0, 0};
    // When set, the picture is cut to this rectangle (x y width height) of the page.
    bool clip = false;
    double clipBox[4] = {0, 0, 0, 0};
};

// The matrix that shows the stored picture upright in the w x h rectangle at (x, y): (a, b)
// runs along its top row from left to right, (c, d) up its left column, (e, f) is its
// bottom-left corner.
void placeImage(int orientation, double x, double y, double w, double h, double* out);

// The picture's size as shown on its page at its own resolution, in points: `pixelWidth` x
// `pixelHeight` at `xDpi` x `yDpi` (none or not valid: kDefaultDpi), exchanged when
// `orientation` turns it a quarter.
struct ShownSize {
    double width, height;
};
ShownSize shownSize(int pixelWidth, int pixelHeight, double xDpi, double yDpi, int orientation);

// Places a picture shown `shown` large in `box` (x y width height) of `page`, centred and as
// `fit` says: scaled to fit the box, only shrunk to fit it, or scaled to cover it and cut to it.
void placeInBox(ShownSize shown, const double box[4], jobfiles::Fit fit, int orientation,
                PageGeometry& page);

// The EXIF orientation (1..8) that shows a picture stored with `orientation` (1..8, anything
// else = as stored) turned `clockwise` degrees further (90, 180 or 270; anything else: not
// turned). A mirrored picture stays mirrored: 2 (mirrored left to right) turned 90 is 7.
int turnedOrientation(int orientation, int clockwise);

// The page showing a `pixelWidth` x `pixelHeight` picture at `xDpi` x `yDpi` (0 = not given),
// turned and mirrored as EXIF `orientation` (1..8, anything else = as stored) says, laid out
// as `layout` asks.
//
// With PageSize::Picture the page has the size of the picture as shown plus the margin on
// every side; where the reader's limits forbid that, the page is scaled (UserUnit for large
// pages, plain enlargement for tiny ones), and a picture too narrow for any valid page is
// centred on the thinnest valid page, keeping its proportions.
//
// With a paper size the page is that paper, turned as `layout.orientation` says (Automatic:
// landscape for a picture shown wider than high), and the picture is centred in the area
// inside the margins: scaled to fit it, only shrunk to fit it, or scaled to cover it and cut
// to it. Margins take at most half of the shorter page side.
PageGeometry pageGeometry(int pixelWidth, int pixelHeight, double xDpi, double yDpi,
                          int orientation, const jobfiles::PageLayout& layout = {});

} // namespace pw::pdftool
