#pragma once
// The page layout as text, one shared vocabulary for the builder's options file, the settings
// file and the command line:
//
//   PageSize=picture|A3|A4|A5|Letter|Legal|WxHmm   (e.g. 210x297mm; "mm" may be left out)
//   Orientation=auto|portrait|landscape
//   Margin=<mm>                                     (0 to 50, decimals with a point)
//   Fit=fit|shrink|fill
//   SplitTall=yes|no
//   Overlap=<mm>                                    (0 to 50)
//   PerSheet=<cols>x<rows>                          (1 to 10 each; "1" for 1x1)
//   Gap=<mm>                                        (0 to 50)
//
// Names are read in any letter case and written as above. No Qt.
#include "jobfiles/job_options.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pw::jobfiles {

// Limits of a custom page side, in millimetres, and of the margin.
inline constexpr double kMinCustomSideMm = 10.0;
inline constexpr double kMaxCustomSideMm = 5000.0;
inline constexpr double kMaxMarginMm = 50.0;
inline constexpr double kMaxOverlapMm = 50.0;
inline constexpr double kMaxGapMm = 50.0;
inline constexpr int kMaxSheetSide = 10; // columns or rows of pictures on a sheet

// The paper of `size` in points, portrait (width <= height); custom sizes come from `layout`.
// {0, 0} for PageSize::Picture.
std::pair<double, double> paperPoints(const PageLayout& layout);
double millimetresToPoints(double mm);
double pointsToMillimetres(double points);

// The least room a picture may get on paper, across and down, in millimetres: a layout whose
// margins or grid leave less is refused before the job starts.
inline constexpr double kMinPictureRoomMm = 20.0;

// How much longer than the area inside the margins a picture must be to be laid over several
// pages (with PageLayout::splitTall): taller shown at the area's width, or wider shown at its
// height.
inline constexpr double kTallRatio = 1.5;
// A picture that would take more pages than this (a thread of pixels a mile long) stays on
// one page: the PDF would be all page objects.
inline constexpr double kMostSplitPages = 10000;
// The paper, portrait or turned `landscape`, and the area inside its margins; the area's x and
// y are the margin. A margin that would leave the area under kMinPictureRoomMm (from an options
// file the job did not check) is cut to leave that much.
struct PaperArea {
    double paperWidth, paperHeight, margin, width, height;
};
PaperArea paperArea(const PageLayout& layout, bool landscape);
// Whether a page of its own for a picture shown `shownWidth` x `shownHeight` is landscape.
bool landscapePage(const PageLayout& layout, double shownWidth, double shownHeight);
// The scale that puts a picture shown `shownWidth` x `shownHeight` into a box `boxWidth` x
// `boxHeight` as `fit` says: fitted, only shrunk to fit, or covering it.
double fittedScale(double shownWidth, double shownHeight, double boxWidth, double boxHeight,
                   Fit fit);
// The area a split picture is laid on: for a tall picture portrait paper, or landscape when the
// layout asks for it; for a wide one landscape, or portrait when the layout asks for it.
PaperArea tallArea(const PageLayout& layout, bool wide = false);
// How the layout splits a picture shown `shownWidth` x `shownHeight` points: the scale from
// those to the page's (the picture then spans the area's width when tall, its height when
// wide), 0 when it stays on one page (also when it would take over kMostSplitPages).
struct PictureSplit {
    double scale = 0.0;
    bool wide = false; // laid left to right rather than top to bottom
};
PictureSplit pictureSplit(double shownWidth, double shownHeight, const PageLayout& layout);

// The grid of cells on each sheet, each side within 1..kMaxSheetSide.
struct SheetGrid {
    int columns, rows;
    int cells() const { return columns * rows; }
};
SheetGrid sheetGrid(const PageLayout& layout);
// Whether the layout puts several pictures on each sheet: a grid beyond 1 x 1 on paper. Such a
// layout splits no picture; without paper the grid has no effect.
bool sharesSheets(const PageLayout& layout);
// A cell of the grid on a sheet (portrait paper, or landscape when `landscape`): its size and
// the place of the cell in `column`, `row` (row 0 at the top), in points. The margin is the
// one of a single page; the gap shrinks to leave every cell at least a point.
struct SheetCell {
    double x, y, width, height;
};
SheetCell sheetCell(const PageLayout& layout, bool landscape, int column = 0, int row = 0);
// The room each picture gets on paper turned `landscape`, in points, with the margin and gap as
// stated: the area inside the margins, or a cell of a shared sheet. Negative when they take
// more than the paper. {0, 0} for PageSize::Picture.
struct PictureRoom {
    double width, height;
};
PictureRoom pictureRoom(const PageLayout& layout, bool landscape);

// Each parser returns false and leaves `layout` alone when the text is not a valid value.
bool parsePageSize(std::string_view text, PageLayout& layout);
bool parseOrientation(std::string_view text, PageLayout& layout);
bool parseMargin(std::string_view text, PageLayout& layout);
bool parseFit(std::string_view text, PageLayout& layout);
bool parseSplitTall(std::string_view text, PageLayout& layout);
bool parseOverlap(std::string_view text, PageLayout& layout);
bool parsePerSheet(std::string_view text, PageLayout& layout);
bool parseGap(std::string_view text, PageLayout& layout);

std::string formatPageSize(const PageLayout& layout);
std::string formatOrientation(const PageLayout& layout);
std::string formatMargin(const PageLayout& layout);
std::string formatFit(const PageLayout& layout);
std::string formatSplitTall(const PageLayout& layout);
std::string formatOverlap(const PageLayout& layout);
std::string formatPerSheet(const PageLayout& layout);
std::string formatGap(const PageLayout& layout);

// One page option as a "Key=Value" line: its key, how its value is read (see the parsers above)
// and written.
struct PageLayoutKey {
    const char* name;
    bool (*parse)(std::string_view text, PageLayout& layout);
    std::string (*format)(const PageLayout& layout);
};
// The options in file order: PageSize, Orientation, Margin, Fit, SplitTall, Overlap, PerSheet,
// Gap.
const std::vector<PageLayoutKey>& pageLayoutKeys();

// Applies one Key=Value pair; a value that is not valid leaves that option as it was (its
// default in a fresh layout). Returns false when `key` is none of them.
bool applyPageLayoutValue(std::string_view key, std::string_view value, PageLayout& layout);
// The pairs in file order.
std::vector<std::pair<std::string, std::string>> pageLayoutValues(const PageLayout& layout);

} // namespace pw::jobfiles
