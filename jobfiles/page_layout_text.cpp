#include "jobfiles/page_layout_text.h"

#include "jobfiles/text_values.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <optional>
#include <utility>

namespace pw::jobfiles {
namespace {

struct NamedSize {
    const char* name;
    PageSize size;
    double widthPt; // portrait
    double heightPt;
};

constexpr double kPointsPerMm = 72.0 / 25.4;

// ISO sizes are defined in millimetres, the North American ones in inches.
constexpr NamedSize kSizes[] = {
    {"A3", PageSize::A3, 297.0 * kPointsPerMm, 420.0 * kPointsPerMm},
    {"A4", PageSize::A4, 210.0 * kPointsPerMm, 297.0 * kPointsPerMm},
    {"A5", PageSize::A5, 148.0 * kPointsPerMm, 210.0 * kPointsPerMm},
    {"Letter", PageSize::Letter, 612.0, 792.0},
    {"Legal", PageSize::Legal, 612.0, 1008.0},
};

bool sameName(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

// A plain decimal number ("12", "2.5"): no sign, exponent, "inf" or "nan".
std::optional<double> number(std::string_view text) {
    text = trimmedBlanks(text);
    if (text.empty() || text.find_first_not_of("0123456789.") != std::string_view::npos)
        return std::nullopt;
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// "12", "2.5mm" up to `most`.
std::optional<double> millimetres(std::string_view text, double most) {
    text = trimmedBlanks(text);
    if (text.size() > 2 && sameName(text.substr(text.size() - 2), "mm"))
        text.remove_suffix(2);
    const auto value = number(text);
    if (!value || *value > most)
        return std::nullopt;
    return value;
}

bool validSide(double mm) {
    return mm >= kMinCustomSideMm && mm <= kMaxCustomSideMm;
}

// The paper in points, portrait or turned.
std::pair<double, double> turnedPaper(const PageLayout& layout, bool landscape) {
    auto [width, height] = paperPoints(layout);
    if (landscape)
        std::swap(width, height);
    return {width, height};
}

double statedGap(const PageLayout& layout) {
    return millimetresToPoints(std::clamp(layout.gapMm, 0.0, kMaxGapMm));
}

// A cell of `grid` in an area of `width` x `height`, the cells `gap` apart.
std::pair<double, double> cellSize(double width, double height, double gap, SheetGrid grid) {
    return {(width - (grid.columns - 1) * gap) / grid.columns,
            (height - (grid.rows - 1) * gap) / grid.rows};
}

} // namespace

double millimetresToPoints(double mm) {
    return mm * kPointsPerMm;
}

double pointsToMillimetres(double points) {
    return points / kPointsPerMm;
}

std::pair<double, double> paperPoints(const PageLayout& layout) {
    if (layout.size == PageSize::Custom) {
        const double w = millimetresToPoints(layout.customWidthMm);
        const double h = millimetresToPoints(layout.customHeightMm);
        return {std::min(w, h), std::max(w, h)};
    }
    for (const NamedSize& named : kSizes) {
        if (named.size == layout.size)
            return {named.widthPt, named.heightPt};
    }
    return {0.0, 0.0};
}

PaperArea paperArea(const PageLayout& layout, bool landscape) {
    const auto [width, height] = turnedPaper(layout, landscape);
    const double most =
        std::max(0.0, (std::min(width, height) - millimetresToPoints(kMinPictureRoomMm)) / 2.0);
    const double margin = std::clamp(millimetresToPoints(layout.marginMm), 0.0, most);
    return {width, height, margin, width - 2.0 * margin, height - 2.0 * margin};
}

bool landscapePage(const PageLayout& layout, double shownWidth, double shownHeight) {
    return layout.orientation == Orientation::Landscape ||
           (layout.orientation == Orientation::Automatic && shownWidth > shownHeight);
}

double fittedScale(double shownWidth, double shownHeight, double boxWidth, double boxHeight,
                   Fit fit) {
    const double across = boxWidth / shownWidth;
    const double down = boxHeight / shownHeight;
    if (fit == Fit::Fill)
        return std::max(across, down);
    const double scale = std::min(across, down);
    return fit == Fit::ShrinkOnly ? std::min(scale, 1.0) : scale;
}

PaperArea tallArea(const PageLayout& layout, bool wide) {
    return paperArea(layout, wide ? layout.orientation != Orientation::Portrait
                                  : layout.orientation == Orientation::Landscape);
}

PictureSplit pictureSplit(double shownWidth, double shownHeight, const PageLayout& layout) {
    if (!layout.splitTall || layout.size == PageSize::Picture || !(shownWidth > 0.0) ||
        !(shownHeight > 0.0))
        return {};
    // Pages of `length` points laid over windows `window` long, each repeating the overlap.
    const auto fewEnough = [&layout](double length, double window) {
        const double overlap = std::clamp(millimetresToPoints(layout.overlapMm), 0.0, window / 2.0);
        return (length - window) / (window - overlap) < kMostSplitPages - 1;
    };
    const PaperArea tall = tallArea(layout);
    const double across = tall.width / shownWidth; // at the area's width
    if (shownHeight * across > kTallRatio * tall.height)
        return fewEnough(shownHeight * across, tall.height) ? PictureSplit{across, false}
                                                            : PictureSplit{};
    const PaperArea wide = tallArea(layout, true);
    const double down = wide.height / shownHeight; // at the area's height
    if (shownWidth * down > kTallRatio * wide.width)
        return fewEnough(shownWidth * down, wide.width) ? PictureSplit{down, true} : PictureSplit{};
    return {};
}

SheetGrid sheetGrid(const PageLayout& layout) {
    return {std::clamp(layout.sheetColumns, 1, kMaxSheetSide),
            std::clamp(layout.sheetRows, 1, kMaxSheetSide)};
}

bool sharesSheets(const PageLayout& layout) {
    return layout.size != PageSize::Picture && sheetGrid(layout).cells() > 1;
}

SheetCell sheetCell(const PageLayout& layout, bool landscape, int column, int row) {
    const PaperArea area = paperArea(layout, landscape);
    const SheetGrid grid = sheetGrid(layout);
    const auto [columns, rows] = grid;
    // The gaps never take more than leaves each cell a point (options the job did not check).
    double gap = statedGap(layout);
    if (columns > 1)
        gap = std::min(gap, (area.width - columns) / (columns - 1));
    if (rows > 1)
        gap = std::min(gap, (area.height - rows) / (rows - 1));
    gap = std::max(gap, 0.0);
    const auto [cellWidth, cellHeight] = cellSize(area.width, area.height, gap, grid);
    return {area.margin + column * (cellWidth + gap),
            area.margin + area.height - (row + 1) * cellHeight - row * gap, cellWidth, cellHeight};
}

PictureRoom pictureRoom(const PageLayout& layout, bool landscape) {
    const auto [paperWidth, paperHeight] = turnedPaper(layout, landscape);
    if (paperWidth <= 0.0)
        return {0.0, 0.0};
    const double margin = millimetresToPoints(std::max(layout.marginMm, 0.0));
    const double width = paperWidth - 2.0 * margin;
    const double height = paperHeight - 2.0 * margin;
    if (!sharesSheets(layout))
        return {width, height};
    const auto [cellWidth, cellHeight] =
        cellSize(width, height, statedGap(layout), sheetGrid(layout));
    return {cellWidth, cellHeight};
}

bool parsePageSize(std::string_view text, PageLayout& layout) {
    text = trimmedBlanks(text);
    if (sameName(text, "picture")) {
        layout.size = PageSize::Picture;
        return true;
    }
    for (const NamedSize& named : kSizes) {
        if (sameName(text, named.name)) {
            layout.size = named.size;
            return true;
        }
    }
    if (text.size() > 2 && sameName(text.substr(text.size() - 2), "mm"))
        text.remove_suffix(2);
    const auto cross = text.find_first_of("xX");
    if (cross == std::string_view::npos)
        return false;
    const auto width = number(text.substr(0, cross));
    const auto height = number(text.substr(cross + 1));
    if (!width || !height || !validSide(*width) || !validSide(*height))
        return false;
    layout.size = PageSize::Custom;
    layout.customWidthMm = *width;
    layout.customHeightMm = *height;
    return true;
}

bool parseOrientation(std::string_view text, PageLayout& layout) {
    text = trimmedBlanks(text);
    if (sameName(text, "auto"))
        layout.orientation = Orientation::Automatic;
    else if (sameName(text, "portrait"))
        layout.orientation = Orientation::Portrait;
    else if (sameName(text, "landscape"))
        layout.orientation = Orientation::Landscape;
    else
        return false;
    return true;
}

bool parseMargin(std::string_view text, PageLayout& layout) {
    const auto value = millimetres(text, kMaxMarginMm);
    if (value)
        layout.marginMm = *value;
    return value.has_value();
}

bool parseFit(std::string_view text, PageLayout& layout) {
    text = trimmedBlanks(text);
    if (sameName(text, "fit"))
        layout.fit = Fit::Fit;
    else if (sameName(text, "shrink"))
        layout.fit = Fit::ShrinkOnly;
    else if (sameName(text, "fill"))
        layout.fit = Fit::Fill;
    else
        return false;
    return true;
}

bool parseSplitTall(std::string_view text, PageLayout& layout) {
    text = trimmedBlanks(text);
    if (!sameName(text, "yes") && !sameName(text, "no"))
        return false;
    layout.splitTall = sameName(text, "yes");
    return true;
}

bool parseOverlap(std::string_view text, PageLayout& layout) {
    const auto value = millimetres(text, kMaxOverlapMm);
    if (value)
        layout.overlapMm = *value;
    return value.has_value();
}

bool parsePerSheet(std::string_view text, PageLayout& layout) {
    text = trimmedBlanks(text);
    if (text == "1") {
        layout.sheetColumns = layout.sheetRows = 1;
        return true;
    }
    const auto cross = text.find_first_of("xX");
    if (cross == std::string_view::npos)
        return false;
    const auto side = [](std::string_view digits) -> int {
        const auto value = number(digits);
        if (!value || *value != std::floor(*value) || *value < 1 || *value > kMaxSheetSide)
            return 0;
        return static_cast<int>(*value);
    };
    const int columns = side(text.substr(0, cross));
    const int rows = side(text.substr(cross + 1));
    if (columns == 0 || rows == 0)
        return false;
    layout.sheetColumns = columns;
    layout.sheetRows = rows;
    return true;
}

bool parseGap(std::string_view text, PageLayout& layout) {
    const auto value = millimetres(text, kMaxGapMm);
    if (value)
        layout.gapMm = *value;
    return value.has_value();
}

std::string formatPageSize(const PageLayout& layout) {
    if (layout.size == PageSize::Custom)
        return decimalText(layout.customWidthMm, 2) + "x" + decimalText(layout.customHeightMm, 2) +
               "mm";
    for (const NamedSize& named : kSizes) {
        if (named.size == layout.size)
            return named.name;
    }
    return "picture";
}

std::string formatOrientation(const PageLayout& layout) {
    switch (layout.orientation) {
    case Orientation::Portrait:
        return "portrait";
    case Orientation::Landscape:
        return "landscape";
    case Orientation::Automatic:
        break;
    }
    return "auto";
}

std::string formatMargin(const PageLayout& layout) {
    return decimalText(layout.marginMm, 2);
}

std::string formatFit(const PageLayout& layout) {
    switch (layout.fit) {
    case Fit::ShrinkOnly:
        return "shrink";
    case Fit::Fill:
        return "fill";
    case Fit::Fit:
        break;
    }
    return "fit";
}

std::string formatSplitTall(const PageLayout& layout) {
    return layout.splitTall ? "yes" : "no";
}

std::string formatOverlap(const PageLayout& layout) {
    return decimalText(layout.overlapMm, 2);
}

std::string formatPerSheet(const PageLayout& layout) {
    return std::to_string(layout.sheetColumns) + "x" + std::to_string(layout.sheetRows);
}

std::string formatGap(const PageLayout& layout) {
    return decimalText(layout.gapMm, 2);
}

const std::vector<PageLayoutKey>& pageLayoutKeys() {
    static const std::vector<PageLayoutKey> keys = {
        {"PageSize", parsePageSize, formatPageSize},
        {"Orientation", parseOrientation, formatOrientation},
        {"Margin", parseMargin, formatMargin},
        {"Fit", parseFit, formatFit},
        {"SplitTall", parseSplitTall, formatSplitTall},
        {"Overlap", parseOverlap, formatOverlap},
        {"PerSheet", parsePerSheet, formatPerSheet},
        {"Gap", parseGap, formatGap},
    };
    return keys;
}

bool applyPageLayoutValue(std::string_view key, std::string_view value, PageLayout& layout) {
    for (const PageLayoutKey& known : pageLayoutKeys()) {
        if (key == known.name) {
            known.parse(value, layout);
            return true;
        }
    }
    return false;
}

std::vector<std::pair<std::string, std::string>> pageLayoutValues(const PageLayout& layout) {
    std::vector<std::pair<std::string, std::string>> values;
    for (const PageLayoutKey& key : pageLayoutKeys())
        values.emplace_back(key.name, key.format(layout));
    return values;
}

} // namespace pw::jobfiles
