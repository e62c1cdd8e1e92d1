// Group 4 pages: a staged one-strip TIFF's data goes in as it is; anything else is skipped.
#include "formats/g4_tiff.h"
#include "pdf_probe.h"

#include <gtest/gtest.h>
#include <qpdf/QPDF.hh>
#include <tiffio.h>

using namespace pw::pdftool;
using namespace pw::pdftool::test;

namespace {

constexpr int kWidth = 21;
constexpr int kHeight = 10;

bool black(int x, int y) {
    return (x + 2 * y) % 5 == 0 || y == 0;
}

// The pattern as a bilevel TIFF: 1 for black unless `photometric` is min-is-black.
bool writeBilevel(const std::string& path, int photometric, int compression = COMPRESSION_CCITTFAX4,
                  int rowsPerStrip = kHeight) {
    TIFF* tiff = TIFFOpen(path.c_str(), "w");
    if (tiff == nullptr)
        return false;
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, kWidth);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, kHeight);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, photometric);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, compression);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, rowsPerStrip);
    TIFFSetField(tiff, TIFFTAG_XRESOLUTION, 96.0F);
    TIFFSetField(tiff, TIFFTAG_YRESOLUTION, 96.0F);
    TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    bool written = true;
    for (int y = 0; y < kHeight; ++y) {
        unsigned char row[(kWidth + 7) / 8] = {};
        for (int x = 0; x < kWidth; ++x) {
            if (black(x, y) == (photometric == PHOTOMETRIC_MINISWHITE))
                row[x / 8] |= static_cast<unsigned char>(0x80 >> (x % 8));
        }
        written = written && TIFFWriteScanline(tiff, row, static_cast<std::uint32_t>(y), 0) == 1;
    }
    TIFFClose(tiff);
    return written;
}

} // namespace

TEST(CcittPages, StripGoesInAsItIsAndShowsThePattern) {
    Stage stage;
    ASSERT_TRUE(writeBilevel(stage.path("00000.tif"), PHOTOMETRIC_MINISWHITE));
    ASSERT_TRUE(writeBilevel(stage.path("00001.TIF"), PHOTOMETRIC_MINISBLACK));
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
    ASSERT_TRUE(writeBilevel(stage.path("00000.tif"), PHOTOMETRIC_MINISWHITE, COMPRESSION_LZW));
    ASSERT_TRUE(
        writeBilevel(stage.path("00001.tif"), PHOTOMETRIC_MINISWHITE, COMPRESSION_CCITTFAX4, 4));
    // The strip cut short, and its data made nonsense.
    ASSERT_TRUE(writeBilevel(stage.path("00002.tif"), PHOTOMETRIC_MINISWHITE));
    ASSERT_TRUE(writeBilevel(stage.path("00003.tif"), PHOTOMETRIC_MINISWHITE));
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
    for (const char* name : {"00000.tif", "00001.tif", "00002.tif", "00003.tif"})
        EXPECT_NE(run.output.find(std::string("Skipped ") + name + ": "), std::string::npos)
            << run.output;
}
