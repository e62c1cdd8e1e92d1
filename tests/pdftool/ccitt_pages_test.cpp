// Group 4 pages: a staged one-strip TIFF's data goes in as it is; anything else is skipped.
// A tall picture split over pages of paper, shown slice by slice from one stored image.
#include "command_output.h"
#include "formats/g4_tiff.h"
#include "jobfiles/page_options.h"
#include "pdf_probe.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <qpdf/QPDF.hh>
#include <sstream>
#include <tiffio.h>

using namespace pw::pdftool;
using namespace pw::pdftool::test;

namespace {

constexpr int kWidth = 21;
constexpr int kHeight = 10;

bool black(int x, int y) {
    return (x + 2 * y) % 5 == 0 || y == 0;
}

// A bilevel TIFF at 96 dpi, black where `dark(x, y)`: 1 for black unless `photometric` is
// min-is-black.
struct Bilevel {
    int photometric = PHOTOMETRIC_MINISWHITE;
    int compression = COMPRESSION_CCITTFAX4;
    int rowsPerStrip = 0; // 0: one strip
    int width = kWidth;
    int height = kHeight;
    std::function<bool(int, int)> dark = black;
};

bool writeBilevel(const std::string& path, const Bilevel& picture) {
    TIFF* tiff = TIFFOpen(path.c_str(), "w");
    if (tiff == nullptr)
        return false;
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, picture.width);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, picture.height);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, picture.photometric);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, picture.compression);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP,
                 picture.rowsPerStrip > 0 ? picture.rowsPerStrip : picture.height);
    TIFFSetField(tiff, TIFFTAG_XRESOLUTION, 96.0F);
    TIFFSetField(tiff, TIFFTAG_YRESOLUTION, 96.0F);
    TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    bool written = true;
    std::vector<unsigned char> row(static_cast<std::size_t>(picture.width + 7) / 8);
    for (int y = 0; y < picture.height; ++y) {
        std::fill(row.begin(), row.end(), 0);
        for (int x = 0; x < picture.width; ++x) {
            if (picture.dark(x, y) == (picture.photometric == PHOTOMETRIC_MINISWHITE))
                row[static_cast<std::size_t>(x / 8)] |= static_cast<unsigned char>(0x80 >> (x % 8));
        }
        written =
            written && TIFFWriteScanline(tiff, row.data(), static_cast<std::uint32_t>(y), 0) == 1;
    }
    TIFFClose(tiff);
    return written;
}

} // namespace

TEST(CcittPages, StripGoesInAsItIsAndShowsThePattern) {
    Stage stage;
    ASSERT_TRUE(writeBilevel(stage.path("00000.tif"), {}));
    ASSERT_TRUE(writeBilevel(stage.path("00001.TIF"), {.photometric = PHOTOMETRIC_MINISBLACK}));
    const ToolRun run = runPdfExe(stage);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    ASSERT_EQ(qpdfCheck(stage.pdf()), 0);

    QPDF pdf;
    pdf.processFile(stage.pdf().c_str());
    const std::vector<PageInfo> pages = pagesOf(pdf);
    ASSERT_EQ(pages.size(), 2u);
    for (int i = 0; i < 2; ++i) {
        const std::string name = i == 0 ? "00000.tif" : "00001.TIF";
        std::string reason;
        std::string strip;
        ASSERT_TRUE(readG4Tiff(stage.path(name), reason, 1, &strip)) << reason;
        QPDFObjectHandle image = pages[static_cast<std::size_t>(i)].image;
        const auto data = image.getRawStreamData();
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(data->getBuffer()), data->getSize()),
                  strip);
        QPDFObjectHandle parms = image.getDict().getKey("/DecodeParms");
        EXPECT_EQ(image.getDict().getKey("/Filter").getName(), "/CCITTFaxDecode");
        EXPECT_EQ(parms.getKey("/K").getIntValue(), -1);
        EXPECT_EQ(parms.getKey("/Columns").getIntValue(), kWidth);
        EXPECT_EQ(parms.getKey("/Rows").getIntValue(), kHeight);
        EXPECT_EQ(parms.hasKey("/BlackIs1"), i == 1);

        const Picture shown = render(stage.pdf(), i + 1, 4 * 96);
        ASSERT_EQ(shown.width, 4 * kWidth);
        int wrong = 0;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                wrong += *shown.at(4 * x + 1, 4 * y + 1) != (black(x, y) ? 0 : 255);
        EXPECT_EQ(wrong, 0) << name;
    }
}

TEST(CcittPages, OtherTiffsAreSkipped) {
    Stage stage;
    ASSERT_TRUE(writeBilevel(stage.path("00000.tif"), {.compression = COMPRESSION_LZW}));
    ASSERT_TRUE(writeBilevel(stage.path("00001.tif"), {.rowsPerStrip = 4}));
    // Wider than a Group 4 page may be: refused before its decoder asks for the run arrays.
    ASSERT_TRUE(writeBilevel(stage.path("00004.tif"), {.width = 70000, .height = 1}));
    // The strip cut short, and its data made nonsense.
    ASSERT_TRUE(writeBilevel(stage.path("00002.tif"), {}));
    ASSERT_TRUE(writeBilevel(stage.path("00003.tif"), {}));
    std::string reason;
    const auto page = readG4Tiff(stage.path("00002.tif"), reason);
    ASSERT_TRUE(page) << reason;
    std::string cut = readFile(stage.path("00002.tif"));
    std::string garbled = cut;
    cut.resize(page->stripOffset + page->stripBytes / 2);
    ASSERT_TRUE(writeFile(stage.path("00002.tif"), cut));
    for (std::uint64_t i = 0; i < page->stripBytes; ++i)
        garbled[page->stripOffset + i] = static_cast<char>(0x55 ^ (i * 29));
    ASSERT_TRUE(writeFile(stage.path("00003.tif"), garbled));

    const ToolRun run = runPdfExe(stage);
    EXPECT_EQ(run.exitCode, 3) << run.output;
    for (const char* name : {"00000.tif", "00001.tif", "00002.tif", "00003.tif", "00004.tif"})
        EXPECT_NE(run.output.find(std::string("Skipped ") + name + ": "), std::string::npos)
            << run.output;
}

// 100 x 1000 pixels at 96 dpi on A4 with margins and overlap of 10 mm: at the area's width a
// pixel is 5.39 points, the picture 5386 points tall, so eight pages, each area showing the next
// 756.85 points of it and nothing in the margins; one image serves them all.
TEST(TallPages, SplitTallPicturesShowTheirSlicesOfOneImage) {
    const auto banded = [](int, int y) { return (y / 37) % 3 == 0; };
    Stage stage;
    ASSERT_TRUE(
        writeBilevel(stage.path("00000.tif"), {.width = 100, .height = 1000, .dark = banded}));
    pw::engine::PageLayout layout;
    layout.size = pw::engine::PageSize::A4;
    layout.marginMm = 10;
    layout.splitTall = true;
    layout.overlapMm = 10;
    ASSERT_TRUE(writePageOptions(stage.folder(), layout));
    const ToolRun run = runPdfExe(stage);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    ASSERT_EQ(qpdfCheck(stage.pdf()), 0);

    std::istringstream list(pw::test::commandOutput("pdfimages -list '" + stage.pdf() + "'"));
    std::string line;
    std::vector<std::string> objects;
    for (int skip = 0; skip < 2 && std::getline(list, line); ++skip) {
    }
    while (std::getline(list, line)) {
        std::istringstream fields(line);
        std::string field;
        for (int i = 0; i <= 10; ++i)
            fields >> field;
        objects.push_back(field);
    }
    ASSERT_EQ(objects.size(), 8u);
    EXPECT_EQ(std::count(objects.begin(), objects.end(), objects[0]), 8);

    const double margin = 10 * 72 / 25.4;
    const double areaTop = 841.89 - margin;
    const double rowPoints = (595.276 - 2 * margin) / 100;
    const double step = areaTop - margin - margin; // the area's height less the overlap
    constexpr int kDpi = 36;
    for (int page = 0; page < 8; ++page) {
        const Picture shown = render(stage.pdf(), page + 1, kDpi);
        ASSERT_EQ(shown.height, 421);
        int wrong = 0;
        for (int py = 2; py < shown.height; py += 3) {
            const double y = 841.89 - (py + 0.5) * 72.0 / kDpi; // up from the bottom
            const double row = (areaTop + page * step - y) / rowPoints;
            const bool inArea = y > margin + 1 && y < areaTop - 1;
            const bool nearEdge = std::abs(row / 37 - std::round(row / 37)) * 37 < 1.0;
            if (!inArea && (y > margin - 1 && y < areaTop + 1))
                continue; // the clip's own edge
            if (inArea && (nearEdge || row >= 1000))
                continue;
            const bool dark = inArea && banded(0, static_cast<int>(row));
            wrong += (*shown.at(shown.width / 2, py) < 128) != dark;
        }
        EXPECT_EQ(wrong, 0) << "page " << page + 1;
    }
}
