#pragma once
// Options of one conversion job beyond the folder and the mode: page layout and picture
// quality. The settings keep them, both faces edit them, the job applies them (quality while
// staging, page layout through the builder's options file). Plain data, no Qt.
#include <string>

namespace pw::jobfiles {

enum class PageSize { Picture, A3, A4, A5, Letter, Legal, Custom };
enum class Orientation { Automatic, Portrait, Landscape };
enum class Fit { Fit, ShrinkOnly, Fill };

struct PageLayout {
    PageSize size = PageSize::Picture; // Picture: each page as large as its picture
    double customWidthMm = 210.0;      // used with PageSize::Custom
    double customHeightMm = 297.0;
    Orientation orientation = Orientation::Automatic;
    double marginMm = 0.0; // 0..50, every side
    Fit fit = Fit::Fit;
    // With a paper size: a picture more than 1.5 times as tall as the area inside the margins
    // at the area's width, or as wide at its height, is laid over as many pages as it takes,
    // each showing the next slice (the picture stored once), slices sharing `overlapMm` (0..50).
    bool splitTall = false;
    double overlapMm = 0.0;
    // With a paper size, several pictures on each sheet: a grid of `sheetColumns` x `sheetRows`
    // cells filled row by row in list order, `gapMm` (0..50) between cells. 1 x 1: a page each.
    int sheetColumns = 1;
    int sheetRows = 1;
    double gapMm = 5.0;
};

// Quality of the pictures that are not JPEG files: staged as JPEG at `quality` (1..100), or
// without loss when `lossless`. JPEG files are always embedded as they are.
inline constexpr int kDefaultQuality = 100;
// From this quality on, staged JPEGs keep the colour at full resolution (4:4:4), so thin
// coloured lines stay sharp; below it colour is halved each way (4:2:0) for smaller files.
inline constexpr int kFullColourQuality = 90;

// PDF/A: off, PDF/A-2b, or PDF/A-1b (PDF 1.4: no transparency, no 16-bit samples).
enum class PdfaLevel { Off, A2b, A1b };

// How black-and-white pages (staged as Group 4) go into the PDF: coded anew as JBIG2, about a
// third smaller, or their Group 4 data as it is, for readers that know no JBIG2.
enum class BilevelCoding { Jbig2, G4 };

struct JobOptions {
    PageLayout page;
    int quality = kDefaultQuality;
    bool lossless = false;
    bool bookmarks = false; // an outline entry per picture
    PdfaLevel pdfa = PdfaLevel::Off;
    BilevelCoding bilevel = BilevelCoding::Jbig2;
    // At a quality, pictures shown at more than this many dots per inch on their page are
    // scaled down to it (JPEG files then re-encoded); 0 for no ceiling. Lossless ignores it.
    int maxDpi = 0;
    // Text recognition in Tesseract's language names ("eng", "deu+eng"): each page gets its
    // words as invisible text. Empty for none.
    std::string ocrLanguages;
    bool autoRotate = false; // pages whose text is sideways or upside down are turned upright
    // At a quality, a colour picture whose pixels are all near gray (staging's kNearGrey) is
    // stored gray; with this set only exactly gray ones are.
    bool keepColour = false;
    // Each page's skew is measured and the page turned upright before it is stored (JPEG files
    // so turned re-encoded).
    bool deskew = false;
    bool folderPdfs = false; // Add Folder (and a folder named or dropped) takes PDFs too
};

} // namespace pw::jobfiles
