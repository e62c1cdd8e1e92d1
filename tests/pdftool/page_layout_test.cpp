// Page sizes, orientation, margins and fitting: the options file and the pages pdf.exe lays out.
#include "jobfiles/page_layout_text.h"
#include "jobfiles/page_options.h"
#include "jobfiles/page_turns.h"
#include "jpeg_maker.h"
#include "pdf_probe.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <qpdf/QPDF.hh>

using namespace pw;
using namespace pw::pdftool;
using namespace pw::pdftool::test;

namespace {

bool isRed(const Picture& page, int x, int y) {
    const unsigned char* p = page.at(x, y);
    return p[0] > 200 && p[1] < 80 && p[2] < 80;
}
bool isWhite(const Picture& page, int x, int y) {
    const unsigned char* p = page.at(x, y);
    return p[0] > 220 && p[1] > 220 && p[2] > 220;
}

// A picture at 72 dpi, so that its pixels are points.
JpegSpec at72(int width, int height, int orientation = 0) {
    return {.width = width,
            .height = height,
            .densityUnit = 1,
            .xDensity = 72,
            .yDensity = 72,
            .exifOrientation = orientation};
}

bool writeOptions(const Stage& stage, const std::string& text) {
    return writeFile(stage.path(jobfiles::kPageOptionsFileName), text);
}

std::vector<PageInfo> runAndReadPages(const Stage& stage, QPDF& pdf) {
    const ToolRun run = runPdfExe(stage);
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(qpdfCheck(stage.pdf()), 0);
    pdf.processFile(stage.pdf().c_str());
    return pagesOf(pdf);
}

// The PDF's images, in drawing order, are the staged JPEGs 00000 to count - 1, byte for byte.
void expectStagedJpegsDrawn(const Stage& stage, int count) {
    const std::string out = stage.cache() + "/extracted";
    ASSERT_EQ(std::system(("pdfimages -all '" + stage.pdf() + "' '" + out + "'").c_str()), 0);
    for (int i = 0; i < count; ++i) {
        const std::string staged = stage.path("0000" + std::to_string(i) + ".jpg");
        const std::string extracted = out + "-00" + std::to_string(i) + ".jpg";
        EXPECT_EQ(std::system(("cmp -s '" + staged + "' '" + extracted + "'").c_str()), 0) << i;
    }
}

} // namespace

TEST(PageLayoutText, ValuesRoundTripAndBadOnesAreRefused) {
    jobfiles::PageLayout layout;
    const std::pair<const char*, const char*> sizes[] = {{"picture", "picture"},
                                                         {"a3", "A3"},
                                                         {" A4 ", "A4"},
                                                         {"A5", "A5"},
                                                         {"LETTER", "Letter"},
                                                         {"Legal", "Legal"},
                                                         {"210x297mm", "210x297mm"},
                                                         {"215.9 X 279.4", "215.9x279.4mm"}};
    for (const auto& [text, formatted] : sizes) {
        EXPECT_TRUE(jobfiles::parsePageSize(text, layout)) << text;
        EXPECT_EQ(jobfiles::formatPageSize(layout), formatted);
    }
    for (const char* bad : {"", "A6", "x297mm", "210x", "9x297mm", "210x5001mm", "-210x297mm",
                            "1e2x297mm", "infxinfmm", "210x297cm"}) {
        EXPECT_FALSE(jobfiles::parsePageSize(bad, layout)) << bad;
        EXPECT_EQ(jobfiles::formatPageSize(layout), "215.9x279.4mm") << bad; // left alone
    }
    EXPECT_TRUE(jobfiles::parseMargin("12.5mm", layout));
    EXPECT_EQ(jobfiles::formatMargin(layout), "12.5");
    for (const char* bad : {"", "-1", "50.01", "ten", "nan", "5,5"})
        EXPECT_FALSE(jobfiles::parseMargin(bad, layout)) << bad;
    EXPECT_TRUE(jobfiles::parseMargin("50", layout));
    for (const char* text : {"auto", "portrait", "landscape"}) {
        EXPECT_TRUE(jobfiles::parseOrientation(text, layout));
        EXPECT_EQ(jobfiles::formatOrientation(layout), text);
    }
    for (const char* text : {"fit", "shrink", "fill"}) {
        EXPECT_TRUE(jobfiles::parseFit(text, layout));
        EXPECT_EQ(jobfiles::formatFit(layout), text);
    }
    EXPECT_FALSE(jobfiles::parseOrientation("sideways", layout));
    EXPECT_FALSE(jobfiles::parseFit("stretch", layout));
    for (const auto& [text, formatted] : {std::pair{"2x2", "2x2"}, std::pair{" 3X1 ", "3x1"},
                                          std::pair{"1", "1x1"}, std::pair{"10x10", "10x10"}}) {
        EXPECT_TRUE(jobfiles::parsePerSheet(text, layout)) << text;
        EXPECT_EQ(jobfiles::formatPerSheet(layout), formatted);
    }
    for (const char* bad : {"", "0x2", "2x", "11x1", "1.5x2", "-1x2", "4", "2x2x2"})
        EXPECT_FALSE(jobfiles::parsePerSheet(bad, layout)) << bad;
    EXPECT_EQ(jobfiles::formatPerSheet(layout), "10x10"); // left alone

    // A split stops short of a PDF of nothing but pages: A4's width, 9000 or 10001 pages long.
    jobfiles::PageLayout a4;
    a4.size = jobfiles::PageSize::A4;
    a4.splitTall = true;
    EXPECT_NEAR(jobfiles::pictureSplit(595.276, 841.89 * 9000, a4).scale, 1.0, 1e-6);
    EXPECT_EQ(jobfiles::pictureSplit(595.276, 841.89 * 10001, a4).scale, 0.0);
    EXPECT_EQ(jobfiles::pictureSplit(841.89 * 10001, 595.276, a4).scale, 0.0);
}

TEST(PageOptionsFile, RoundTripsAndFallsBackPerKey) {
    Stage stage;
    jobfiles::PageLayout layout;
    EXPECT_EQ(jobfiles::formatPageSize(jobfiles::readPageOptions(stage.path("missing.txt"))),
              "picture");
    layout.size = jobfiles::PageSize::Custom;
    layout.customWidthMm = 100;
    layout.customHeightMm = 150.5;
    layout.orientation = jobfiles::Orientation::Landscape;
    layout.marginMm = 7.5;
    layout.fit = jobfiles::Fit::Fill;
    layout.sheetColumns = 3;
    layout.sheetRows = 2;
    layout.gapMm = 2.5;
    ASSERT_TRUE(writePageOptions(stage.folder(), layout));
    const jobfiles::PageLayout read =
        jobfiles::readPageOptions(stage.path(jobfiles::kPageOptionsFileName));
    EXPECT_EQ(jobfiles::pageLayoutValues(read), jobfiles::pageLayoutValues(layout));

    // A damaged value costs only its own option; unknown keys and lines are ignored.
    ASSERT_TRUE(writeOptions(stage, "\xEF\xBB\xBFPageSize=A4\r\nOrientation=upside\r\n"
                                    "Margin=99\r\nnoise\r\nColour=blue\r\nFit=shrink\r\n"));
    const jobfiles::PageLayout damaged =
        jobfiles::readPageOptions(stage.path(jobfiles::kPageOptionsFileName));
    EXPECT_EQ(damaged.size, jobfiles::PageSize::A4);
    EXPECT_EQ(damaged.orientation, jobfiles::Orientation::Automatic);
    EXPECT_EQ(damaged.marginMm, 0.0);
    EXPECT_EQ(damaged.fit, jobfiles::Fit::ShrinkOnly);
}

TEST(PdfExe, PaperSizesTurnAsAsked) {
    const std::pair<const char*, std::pair<double, double>> sizes[] = {
        {"A3", {841.890, 1190.551}}, {"A4", {595.276, 841.890}}, {"A5", {419.528, 595.276}},
        {"Letter", {612, 792}},      {"Legal", {612, 1008}},     {"150x100mm", {283.465, 425.197}}};
    Stage stage;
    ASSERT_TRUE(writeJpeg(stage.path("00000.jpg"), {.width = 64, .height = 48}));
    ASSERT_TRUE(writeJpeg(stage.path("00001.jpg"), {.width = 48, .height = 64}));
    // Stored wide, shown tall; then the same turned by the user, and turned back.
    ASSERT_TRUE(
        writeJpeg(stage.path("00002.jpg"), {.width = 64, .height = 48, .exifOrientation = 6}));
    ASSERT_TRUE(writeJpeg(stage.path("00003.jpg"), {.width = 64, .height = 48}));
    ASSERT_TRUE(
        writeJpeg(stage.path("00004.jpg"), {.width = 64, .height = 48, .exifOrientation = 6}));
    ASSERT_TRUE(jobfiles::writePageTurns(stage.folder(), {{3, 90}, {4, 270}}));
    for (const auto& [size, paper] : sizes) {
        const auto [narrow, tall] = paper;
        const std::pair<const char*, std::vector<bool>> orientations[] = {
            {"portrait", {false, false, false, false, false}},
            {"landscape", {true, true, true, true, true}},
            {"auto", {true, false, false, false, true}}};
        for (const auto& [orientation, landscape] : orientations) {
            ASSERT_TRUE(writeOptions(stage, std::string("PageSize=") + size +
                                                "\nOrientation=" + orientation + "\n"));
            QPDF pdf;
            const auto pages = runAndReadPages(stage, pdf);
            ASSERT_EQ(pages.size(), 5u);
            for (std::size_t i = 0; i < pages.size(); ++i) {
                EXPECT_NEAR(pages[i].width, landscape[i] ? tall : narrow, 0.001)
                    << size << " " << orientation << " page " << i;
                EXPECT_NEAR(pages[i].height, landscape[i] ? narrow : tall, 0.001)
                    << size << " " << orientation << " page " << i;
                EXPECT_EQ(pages[i].userUnit, 1.0);
            }
        }
    }
}

// A 100 x 100 mm page with 10 mm margins: the area inside them runs from 28.35 to 255.12 pt.
// Rendered at 72 dpi, one pixel is one point; the red block is the stored top-left quarter.
TEST(PdfExe, FitShrinkAndFillPlaceThePictureInsideTheMargins) {
    Stage stage;
    ASSERT_TRUE(writeJpeg(stage.path("00000.jpg"), at72(200, 100)));
    ASSERT_TRUE(writeJpeg(stage.path("00001.jpg"), at72(400, 200)));
    ASSERT_TRUE(writeJpeg(stage.path("00002.jpg"), at72(64, 48)));
    ASSERT_TRUE(writeJpeg(stage.path("00003.jpg"), at72(64, 48, 6))); // shown 48 x 64
    ASSERT_TRUE(writeJpeg(stage.path("00004.jpg"), at72(64, 48)));    // so by the user's turn
    ASSERT_TRUE(jobfiles::writePageTurns(stage.folder(), {{4, 90}}));
    const auto layout = [&stage](const char* fit) {
        return writeOptions(stage, std::string("PageSize=100x100mm\nMargin=10\nFit=") + fit);
    };

    ASSERT_TRUE(layout("fit"));
    ASSERT_EQ(runPdfExe(stage).exitCode, 0);
    // 200 x 100 grows to 226.8 x 113.4 at (28.35, 85.04); the red block is 56.7 x 28.3.
    for (int page : {1, 2}) {
        const Picture fit = render(stage.pdf(), page, 72);
        ASSERT_NEAR(fit.width, 283, 1);
        EXPECT_TRUE(isRed(fit, 31, 88) && isRed(fit, 82, 110)) << page;
        EXPECT_TRUE(isWhite(fit, 31, 82) && isWhite(fit, 88, 88) && isWhite(fit, 20, 88)) << page;
    }
    // Turned by EXIF and fitted by its shown size: 170.1 x 226.8 at (56.69, 28.35), the red
    // block in the top-right corner, 42.5 wide and 56.7 high.
    for (int page : {4, 5}) {
        const Picture turned = render(stage.pdf(), page, 72);
        EXPECT_TRUE(isRed(turned, 222, 32) && isRed(turned, 194, 74)) << page;
        EXPECT_TRUE(isWhite(turned, 230, 31) && isWhite(turned, 180, 31) &&
                    isWhite(turned, 223, 25))
            << page;
    }

    ASSERT_TRUE(layout("shrink"));
    ASSERT_EQ(runPdfExe(stage).exitCode, 0);
    // Small enough: 200 x 100 keeps its size, centred at (41.73, 91.73).
    const Picture kept = render(stage.pdf(), 1, 72);
    EXPECT_TRUE(isRed(kept, 44, 94) && isRed(kept, 89, 114));
    EXPECT_TRUE(isWhite(kept, 39, 94) && isWhite(kept, 44, 89) && isWhite(kept, 94, 94));
    // Too large: shrunk as by Fit.
    const Picture shrunk = render(stage.pdf(), 2, 72);
    EXPECT_TRUE(isRed(shrunk, 31, 88) && isRed(shrunk, 82, 110));
    EXPECT_TRUE(isWhite(shrunk, 31, 82) && isWhite(shrunk, 88, 88));

    ASSERT_TRUE(layout("fill"));
    ASSERT_EQ(runPdfExe(stage).exitCode, 0);
    EXPECT_EQ(qpdfCheck(stage.pdf()), 0);
    // 64 x 48 covers the area: 302.4 x 226.8 at (-9.45, 28.35), cut at the margins. Without
    // the cut the red block would run into the left margin.
    const Picture fill = render(stage.pdf(), 3, 72);
    EXPECT_TRUE(isRed(fill, 31, 31) && isRed(fill, 55, 74));
    EXPECT_TRUE(isWhite(fill, 20, 50) && isWhite(fill, 69, 50) && isWhite(fill, 50, 20));
    // Turned, it fills by its shown size: 226.8 x 302.4 at (28.35, -9.45), the red block
    // 56.7 x 75.6 in its top-right corner, cut at the top margin.
    const Picture turnedFill = render(stage.pdf(), 5, 72);
    EXPECT_TRUE(isRed(turnedFill, 250, 31) && isRed(turnedFill, 206, 58));
    EXPECT_TRUE(isWhite(turnedFill, 250, 25) && isWhite(turnedFill, 188, 40) &&
                isWhite(turnedFill, 250, 74));
    // The pictures are still the staged files, byte for byte.
    expectStagedJpegsDrawn(stage, 5);
}

TEST(PdfExe, MarginsFrameThePictureSizedPage) {
    Stage stage;
    ASSERT_TRUE(writeJpeg(stage.path("00000.jpg"), at72(64, 48)));
    ASSERT_TRUE(writeJpeg(stage.path("00001.jpg"), {.width = 20000, .height = 200}));
    ASSERT_TRUE(writeJpeg(stage.path("00002.jpg"), {.width = 1, .height = 1}));
    ASSERT_TRUE(writeOptions(stage, "Margin=10\nFit=fill\nOrientation=landscape\n"));
    QPDF pdf;
    const auto pages = runAndReadPages(stage, pdf);
    ASSERT_EQ(pages.size(), 3u);
    // 64 x 48 pt plus 28.35 pt on every side; fit and orientation do not apply.
    EXPECT_NEAR(pages[0].width, 120.693, 0.001);
    EXPECT_NEAR(pages[0].height, 104.693, 0.001);
    const Picture framed = render(stage.pdf(), 1, 72);
    EXPECT_TRUE(isRed(framed, 31, 31) && isRed(framed, 42, 38));
    EXPECT_TRUE(isWhite(framed, 25, 31) && isWhite(framed, 31, 25) && isWhite(framed, 47, 31));
    // 15000 pt plus the margins needs UserUnit; the tiny picture's page stays valid.
    EXPECT_NEAR(pages[1].width * pages[1].userUnit, 15056.69, 5.0);
    EXPECT_LE(pages[1].width, 14400.0);
    EXPECT_NEAR(pages[2].width, 57.44, 0.01);

    // On paper, extreme proportions still give valid pages.
    ASSERT_TRUE(writeOptions(stage, "PageSize=A4\nFit=fill\n"));
    QPDF paper;
    for (const auto& page : runAndReadPages(stage, paper))
        EXPECT_NEAR(page.width * page.height, 595.276 * 841.890, 1.0);
}

// 100 mm square paper, 10 mm margins and gap: four cells of 99.21 points at x and y (from the
// top) 28.35 and 155.91. Square pictures fill them; each turn puts the red block in another
// corner, so the order shows.
TEST(PdfExe, SheetsHoldPicturesInTheirCellsRowByRow) {
    Stage stage;
    const int turns[] = {1, 6, 3, 8, 1};
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(
            writeJpeg(stage.path("0000" + std::to_string(i) + ".jpg"), at72(64, 64, turns[i])));
    ASSERT_TRUE(writeOptions(stage, "PageSize=100x100mm\nMargin=10\nPerSheet=2x2\nGap=10\n"));
    QPDF pdf;
    ASSERT_EQ(runAndReadPages(stage, pdf).size(), 2u);

    const double cells[2] = {28.35, 155.91};
    // Where the red block is in each picture as shown: left or right, top or bottom.
    const std::pair<bool, bool> red[] = {
        {false, false}, {true, false}, {true, true}, {false, true}};
    for (int page = 1; page <= 2; ++page) {
        const Picture sheet = render(stage.pdf(), page, 72);
        ASSERT_NEAR(sheet.width, 283, 1);
        for (int cell = 0; cell < 4; ++cell) {
            const int picture = (page - 1) * 4 + cell;
            const double x = cells[cell % 2], y = cells[cell / 2];
            for (const bool right : {false, true}) {
                for (const bool bottom : {false, true}) {
                    const int px = static_cast<int>(x + (right ? 89 : 10));
                    const int py = static_cast<int>(y + (bottom ? 89 : 10));
                    const bool expected =
                        picture < 5 && red[picture % 4] == std::pair{right, bottom};
                    EXPECT_EQ(isRed(sheet, px, py), expected)
                        << "page " << page << " cell " << cell << " at " << px << "," << py;
                    if (!expected) {
                        EXPECT_TRUE(isWhite(sheet, px, py));
                    }
                }
            }
        }
        EXPECT_TRUE(isWhite(sheet, 141, 60) && isWhite(sheet, 60, 141)) << "the gaps";
    }
    // The pictures are still the staged files, byte for byte, drawn in list order.
    expectStagedJpegsDrawn(stage, 5);

    // Automatic orientation turns A4 to landscape for four wide pictures, where they show
    // larger; forced portrait keeps it.
    Stage wide;
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(writeJpeg(wide.path("0000" + std::to_string(i) + ".jpg"), at72(64, 48)));
    for (const auto& [orientation, landscape] :
         {std::pair{"auto", true}, std::pair{"portrait", false}}) {
        ASSERT_TRUE(writeOptions(wide, std::string("PageSize=A4\nPerSheet=2x2\nOrientation=") +
                                           orientation + "\n"));
        QPDF widePdf;
        const auto pages = runAndReadPages(wide, widePdf);
        ASSERT_EQ(pages.size(), 1u);
        EXPECT_EQ(pages[0].width > pages[0].height, landscape) << orientation;
    }
    // A shared sheet splits nothing: a tall picture keeps to its cell.
    Stage tall;
    ASSERT_TRUE(writeJpeg(tall.path("00000.jpg"), at72(20, 2000)));
    ASSERT_TRUE(writeOptions(tall, "PageSize=A4\nPerSheet=2x1\nSplitTall=yes\n"));
    QPDF tallPdf;
    EXPECT_EQ(runAndReadPages(tall, tallPdf).size(), 1u);
}
