// Scans: bilevel pictures of every kind become Group 4 images, exact in both modes; gray
// pictures stored in colour become gray ones.
#include "command_output.h"
#include "job_fixture.h"
#include "staging/bitmap_edits.h"
#include "test_pictures.h"

#include <FreeImage.h>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>
#include <tiffio.h>

using namespace pw;

namespace {

constexpr int kWidth = 40;
constexpr int kHeight = 24;
constexpr unsigned kDotsPerMetre = 3780; // 96.012 dpi
// pdftoppm repeats each pixel from four times the picture's size on.
constexpr int kScale = 4;

bool black(int x, int y) {
    return (x * 7 + y * 3) % 11 < 4 || x == y;
}

// The pattern as a 1-bit bitmap whose palette entry 0 is black (or white), or an 8-bit gray
// one of only 0 and 255.
FIBITMAP* pattern(int bpp, bool blackFirst = true) {
    FIBITMAP* bitmap = FreeImage_Allocate(kWidth, kHeight, bpp);
    RGBQUAD* palette = FreeImage_GetPalette(bitmap);
    for (unsigned i = 0; i < FreeImage_GetColorsUsed(bitmap); ++i) {
        const BYTE level = bpp == 8 ? static_cast<BYTE>(i) : (i == 0) == blackFirst ? 0 : 255;
        palette[i] = {level, level, level, 0};
    }
    const unsigned blackIndex = bpp == 8 ? 0 : blackFirst ? 0 : 1;
    for (int y = 0; y < kHeight; ++y) {
        BYTE* line = FreeImage_GetScanLine(bitmap, kHeight - 1 - y);
        for (int x = 0; x < kWidth; ++x) {
            const unsigned index = black(x, y) ? blackIndex : (bpp == 8 ? 255 : 1 - blackIndex);
            if (bpp == 8)
                line[x] = static_cast<BYTE>(index);
            else if (index != 0)
                line[x / 8] |= static_cast<BYTE>(0x80 >> (x % 8));
            else
                line[x / 8] &= static_cast<BYTE>(~(0x80 >> (x % 8)));
        }
    }
    FreeImage_SetDotsPerMeterX(bitmap, kDotsPerMetre);
    FreeImage_SetDotsPerMeterY(bitmap, kDotsPerMetre);
    return bitmap;
}

bool save(FIBITMAP* bitmap, FREE_IMAGE_FORMAT format, const std::string& path, int flags = 0) {
    const bool saved = FreeImage_Save(format, bitmap, path.c_str(), flags) == TRUE;
    FreeImage_Unload(bitmap);
    return saved;
}

// The pattern as a TIFF page written by libtiff: `bits` 1 or 8, in strips of four rows.
test::TiffPage tiffPage(int bits, int photometric, int compression) {
    test::TiffPage page;
    page.width = kWidth;
    page.height = kHeight;
    page.bits = bits;
    page.photometric = photometric;
    page.compression = compression;
    page.xResolution = page.yResolution = static_cast<float>(kDotsPerMetre * 0.0254);
    std::vector<unsigned> samples;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const bool dark = black(x, y) == (photometric == PHOTOMETRIC_MINISBLACK);
            samples.push_back(dark ? 0 : (1u << bits) - 1);
        }
    }
    page.data = test::packSamples(samples, bits, kWidth);
    return page;
}

struct Listed {
    int width = 0;
    int height = 0;
    std::string colour;
    int bits = 0;
    std::string encoding;
    int xPpi = 0;
};

// The images of a PDF as `pdfimages -list` names them.
std::vector<Listed> imagesOf(const std::string& pdf) {
    std::istringstream list(test::commandOutput("pdfimages -list '" + pdf + "'"));
    std::vector<Listed> images;
    std::string line;
    std::getline(list, line);
    std::getline(list, line);
    while (std::getline(list, line)) {
        std::istringstream fields(line);
        std::string skip;
        Listed image;
        fields >> skip >> skip >> skip >> image.width >> image.height >> image.colour >> skip >>
            image.bits >> image.encoding >> skip >> skip >> skip >> image.xPpi;
        images.push_back(image);
    }
    return images;
}

// The number of pixels of page `page` that differ from `level(x, y)` (the pattern by default)
// as poppler (or MuPDF) shows it; -1 for a page of another size.
int wrongPixels(
    const std::string& pdf, int page,
    const std::function<int(int, int)>& level = [](int x, int y) { return black(x, y) ? 0 : 255; },
    bool mupdf = false) {
    const std::string prefix = pdf + ".render";
    const std::string number = std::to_string(page);
    const std::string resolution = std::to_string(96 * kScale);
    const std::string command =
        mupdf ? "mutool draw -q -c gray -F pgm -r " + resolution + " -o '" + prefix + ".pgm' '" +
                    pdf + "' " + number + " 2>/dev/null"
              : "pdftoppm -gray -singlefile -r " + resolution + " -f " + number + " -l " + number +
                    " '" + pdf + "' '" + prefix + "'";
    if (std::system(command.c_str()) != 0)
        return -1;
    std::ifstream in(prefix + ".pgm", std::ios::binary);
    std::string magic;
    int width = 0;
    int height = 0;
    int top = 0;
    in >> magic >> width >> height >> top;
    in.get();
    std::string pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), '\0');
    in.read(pixels.data(), static_cast<std::streamsize>(pixels.size()));
    if (!in || magic != "P5" || std::abs(width - kWidth * kScale) > 1 ||
        std::abs(height - kHeight * kScale) > 1)
        return -1;
    int wrong = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const auto got = static_cast<unsigned char>(
                pixels[static_cast<std::size_t>((y * kScale + 2) * width + x * kScale + 2)]);
            wrong += got != level(x, y);
        }
    }
    return wrong;
}

class ScanPictures : public test::JobFixture {
protected:
    // The pictures converted again into a fresh output folder: the PDF's path.
    std::string convertAgain() {
        std::filesystem::remove_all(host.folder);
        prompts.messages.clear();
        run();
        return out("NewPDF.pdf");
    }
};

} // namespace

// 1-bit PNG, BMP (white first) and Group 4 TIFF (one strip, copied as it is), 8-bit gray PNG
// of two values, and a TIFF whose 8-bit page and multi-strip Group 4 page are both coded anew:
// every page is a 1-bit JBIG2 image, or with Group 4 chosen a CCITT one, pixel for pixel, at
// quality 50 and without loss.
TEST_F(ScanPictures, BilevelPicturesBecomeExactGroup4Images) {
    host.files = {temp / "pics/one.png", temp / "pics/one.bmp", temp / "pics/g4.tif",
                  temp / "pics/gray.png", temp / "pics/pages.tif"};
    ASSERT_TRUE(save(pattern(1), FIF_PNG, host.files[0]));
    ASSERT_TRUE(save(pattern(1, false), FIF_BMP, host.files[1]));
    ASSERT_TRUE(save(pattern(1), FIF_TIFF, host.files[2], TIFF_CCITTFAX4));
    ASSERT_TRUE(save(pattern(8), FIF_PNG, host.files[3]));
    ASSERT_TRUE(test::writeTiff(host.files[4],
                                {tiffPage(8, PHOTOMETRIC_MINISBLACK, COMPRESSION_ADOBE_DEFLATE),
                                 tiffPage(1, PHOTOMETRIC_MINISBLACK, COMPRESSION_CCITTFAX4)}));
    for (int run = 0; run < 4; ++run) {
        const bool lossless = run % 2 == 1;
        const bool g4 = run >= 2;
        host.options.quality = 50;
        host.options.lossless = lossless;
        host.options.bilevel = g4 ? jobfiles::BilevelCoding::G4 : jobfiles::BilevelCoding::Jbig2;
        const std::string pdf = convertAgain();
        ASSERT_TRUE(prompts.messages.empty()) << prompts.messages.front().text;
        const std::vector<Listed> images = imagesOf(pdf);
        ASSERT_EQ(images.size(), 6u) << lossless;
        for (std::size_t i = 0; i < images.size(); ++i) {
            EXPECT_EQ(images[i].encoding, g4 ? "ccitt" : "jbig2")
                << "lossless " << lossless << " page " << i + 1;
            EXPECT_EQ(images[i].colour, "gray");
            EXPECT_EQ(images[i].bits, 1);
            EXPECT_EQ(wrongPixels(pdf, static_cast<int>(i) + 1), 0)
                << "lossless " << lossless << " page " << i + 1;
        }
    }
}

// A Group 4 fax page whose data libtiff decodes without a word, but otherwise than PDF readers:
// its second row ends a black run where it began (a vertical code back onto a0), and libtiff
// keeps that empty run as two changes the rows below refer to, so it shows them black from
// pixel 8 where poppler and MuPDF show them white up to pixel 20. The data is not copied but
// coded anew from libtiff's decode, which both readers then show pixel for pixel, poppler
// without a complaint.
TEST_F(ScanPictures, AFaxPageReadersWouldDecodeOtherwiseIsCodedAnew) {
    // The first row in horizontal mode: 8 white, 2 black, 10 white, 2 black; then vertical codes.
    const std::string h = "001", w8 = "10011", w10 = "00111", b2 = "11";
    const std::string v0 = "1", back2 = "000010";
    std::string bits = h + w8 + b2 + h + w10 + b2 + v0 + v0 + back2 + v0 + v0 + v0;
    for (int y = 2; y < kHeight; ++y)
        bits += v0 + v0 + v0;
    bits += "000000000001000000000001"; // the end of the block
    std::string strip((bits.size() + 7) / 8, '\0');
    for (std::size_t i = 0; i < bits.size(); ++i)
        if (bits[i] == '1')
            strip[i / 8] = static_cast<char>(strip[i / 8] | 0x80 >> (i % 8));
    const std::string path = temp / "pics/fax.tif";
    TIFF* tiff = TIFFOpen(path.c_str(), "w");
    ASSERT_NE(tiff, nullptr);
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, kWidth);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, kHeight);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, kHeight);
    TIFFSetField(tiff, TIFFTAG_XRESOLUTION, 96.0F);
    TIFFSetField(tiff, TIFFTAG_YRESOLUTION, 96.0F);
    TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    ASSERT_EQ(TIFFWriteRawStrip(tiff, 0, strip.data(), static_cast<tmsize_t>(strip.size())),
              static_cast<tmsize_t>(strip.size()));
    TIFFClose(tiff);

    // The reference: libtiff's decode.
    std::vector<std::uint8_t> rows(kWidth / 8 * kHeight);
    tiff = TIFFOpen(path.c_str(), "r");
    ASSERT_NE(tiff, nullptr);
    ASSERT_EQ(TIFFReadEncodedStrip(tiff, 0, rows.data(), static_cast<tmsize_t>(rows.size())),
              static_cast<tmsize_t>(rows.size()));
    TIFFClose(tiff);
    const auto level = [&rows](int x, int y) {
        return (rows[static_cast<std::size_t>(y * kWidth / 8 + x / 8)] >> (7 - x % 8) & 1) != 0
                   ? 0
                   : 255;
    };
    EXPECT_EQ(level(8, 0), 0);
    EXPECT_EQ(level(8, 1), 255);
    EXPECT_EQ(level(8, 2), 0);
    EXPECT_EQ(level(19, kHeight - 1), 0);

    host.files = {path};
    host.options.bilevel = jobfiles::BilevelCoding::G4; // the data coded anew goes in
    for (const bool lossless : {false, true}) {
        host.options.lossless = lossless;
        const std::string pdf = convertAgain();
        ASSERT_TRUE(prompts.messages.empty()) << prompts.messages.front().text;
        ASSERT_EQ(imagesOf(pdf).size(), 1U);
        EXPECT_EQ(imagesOf(pdf)[0].encoding, "ccitt");
        EXPECT_EQ(wrongPixels(pdf, 1, level), 0) << "poppler, lossless " << lossless;
        EXPECT_EQ(wrongPixels(pdf, 1, level, true), 0) << "MuPDF, lossless " << lossless;
        const std::string said =
            test::commandOutput("pdftoppm -r 96 -f 1 -l 1 '" + pdf + "' 2>&1 >/dev/null");
        EXPECT_EQ(said.find("CCITT"), std::string::npos) << said;
    }
}

// Fax pages coded in one dimension without end-of-line codes, as some writers store them: with
// compression 3 (libtiff's decoder for it looks for the codes and gives up) and compression 2
// with rows not aligned to bytes, beside the usual compression 2 and 3. Each page is read as
// written, the pattern pixel for pixel.
TEST_F(ScanPictures, OneDimensionalFaxPagesWithoutEndOfLineCodesAreRead) {
    const std::pair<int, int> kinds[] = {{COMPRESSION_CCITTFAX3, FAXMODE_NORTC | FAXMODE_NOEOL},
                                         {COMPRESSION_CCITTRLE, FAXMODE_NORTC | FAXMODE_NOEOL},
                                         {COMPRESSION_CCITTRLE, -1},
                                         {COMPRESSION_CCITTFAX3, -1}};
    const std::string path = temp / "pics/fax1d.tif";
    TIFF* tiff = TIFFOpen(path.c_str(), "w");
    ASSERT_NE(tiff, nullptr);
    for (const auto& [compression, mode] : kinds) {
        TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, kWidth);
        TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, kHeight);
        TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 1);
        TIFFSetField(tiff, TIFFTAG_COMPRESSION, compression);
        TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
        TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, kHeight);
        TIFFSetField(tiff, TIFFTAG_XRESOLUTION, 96.0F);
        TIFFSetField(tiff, TIFFTAG_YRESOLUTION, 96.0F);
        TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
        if (mode >= 0)
            TIFFSetField(tiff, TIFFTAG_FAXMODE, mode);
        for (int y = 0; y < kHeight; ++y) {
            std::uint8_t row[kWidth / 8] = {};
            for (int x = 0; x < kWidth; ++x)
                if (black(x, y))
                    row[x / 8] = static_cast<std::uint8_t>(row[x / 8] | 0x80 >> (x % 8));
            ASSERT_EQ(TIFFWriteScanline(tiff, row, static_cast<std::uint32_t>(y), 0), 1);
        }
        ASSERT_EQ(TIFFWriteDirectory(tiff), 1);
    }
    TIFFClose(tiff);
    host.files = {path};
    for (const bool lossless : {false, true}) {
        host.options.lossless = lossless;
        const std::string pdf = convertAgain();
        ASSERT_TRUE(prompts.messages.empty()) << prompts.messages.front().text;
        ASSERT_EQ(imagesOf(pdf).size(), std::size(kinds));
        for (std::size_t i = 0; i < std::size(kinds); ++i)
            EXPECT_EQ(wrongPixels(pdf, static_cast<int>(i) + 1), 0)
                << "page " << i + 1 << " lossless " << lossless;
    }
}

// A TIFF whose pages go in turn to the Group 4 copier, the bilevel reader and the decoder, each
// reading on through the file: every page keeps its own resolution, in order.
TEST_F(ScanPictures, EachReaderOfATiffsPagesFindsItsOwnPage) {
    const std::vector<std::pair<int, int>> kinds = {
        {1, COMPRESSION_CCITTFAX4}, {1, COMPRESSION_ADOBE_DEFLATE}, {8, COMPRESSION_ADOBE_DEFLATE},
        {1, COMPRESSION_CCITTFAX4}, {1, COMPRESSION_LZW},           {8, COMPRESSION_NONE},
        {1, COMPRESSION_CCITTFAX4}};
    std::vector<test::TiffPage> pages;
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        pages.push_back(tiffPage(kinds[i].first, PHOTOMETRIC_MINISBLACK, kinds[i].second));
        pages.back().xResolution = pages.back().yResolution =
            100.0F + 10.0F * static_cast<float>(i);
    }
    host.files = {temp / "pics/turns.tif"};
    host.options.bilevel = jobfiles::BilevelCoding::G4;
    ASSERT_TRUE(test::writeTiff(host.files[0], pages));
    const std::vector<Listed> images = imagesOf(convertAgain());
    ASSERT_EQ(images.size(), kinds.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        EXPECT_EQ(images[i].encoding, "ccitt") << "page " << i + 1;
        EXPECT_EQ(images[i].xPpi, 100 + 10 * static_cast<int>(i)) << "page " << i + 1;
    }
}

// A gradient whose red, green and blue are equal, as a 24-bit PNG and BMP, goes in with one
// channel (exactly without loss); a colour JPEG of it keeps its bytes, a colour PNG its colour.
TEST_F(ScanPictures, GrayPicturesInColourBecomeGray) {
    const auto level = [](int x, int y) { return (x * 6 + y * 10) % 256; };
    const auto picture = [&](bool colour) {
        FIBITMAP* bitmap = FreeImage_Allocate(kWidth, kHeight, 24);
        for (int y = 0; y < kHeight; ++y) {
            BYTE* line = FreeImage_GetScanLine(bitmap, kHeight - 1 - y);
            for (int x = 0; x < kWidth; ++x, line += 3) {
                line[0] = line[1] = line[2] = static_cast<BYTE>(level(x, y));
                line[FI_RGBA_RED] ^= colour && x == 7 ? 1 : 0;
            }
        }
        FreeImage_SetDotsPerMeterX(bitmap, kDotsPerMetre);
        FreeImage_SetDotsPerMeterY(bitmap, kDotsPerMetre);
        return bitmap;
    };
    host.files = {temp / "pics/gray.png", temp / "pics/gray.bmp", temp / "pics/gray.jpg",
                  temp / "pics/colour.png"};
    ASSERT_TRUE(save(picture(false), FIF_PNG, host.files[0]));
    ASSERT_TRUE(save(picture(false), FIF_BMP, host.files[1]));
    ASSERT_TRUE(save(picture(false), FIF_JPEG, host.files[2], JPEG_QUALITYSUPERB));
    ASSERT_TRUE(save(picture(true), FIF_PNG, host.files[3]));
    for (const bool lossless : {false, true}) {
        host.options.quality = 80;
        host.options.lossless = lossless;
        const std::string pdf = convertAgain();
        ASSERT_TRUE(prompts.messages.empty()) << prompts.messages.front().text;
        const std::vector<Listed> images = imagesOf(pdf);
        ASSERT_EQ(images.size(), 4u) << lossless;
        for (int i = 0; i < 2; ++i) {
            // The PNG is smaller without loss than as a JPEG, in every mode.
            const bool exact = lossless || i == 0;
            EXPECT_EQ(images[i].colour, "gray") << "lossless " << lossless << " page " << i + 1;
            EXPECT_EQ(images[i].encoding, exact ? "image" : "jpeg") << i;
            EXPECT_TRUE(!exact || wrongPixels(pdf, i + 1, level) == 0) << "page " << i + 1;
        }
        EXPECT_EQ(images[2].colour, "rgb");
        EXPECT_EQ(images[3].colour, "rgb");
        const std::string extracted = temp / "extracted";
        ASSERT_EQ(
            std::system(("pdfimages -all -f 3 -l 3 '" + pdf + "' '" + extracted + "'").c_str()), 0);
        EXPECT_TRUE(test::readBytes(extracted + "-000.jpg") == test::readBytes(host.files[2]));
    }
}

// With a ceiling of 150 dpi a colour PNG and a JPEG at 300 dpi are scaled to half, on pages of
// the same size; a bilevel one and one under the ceiling stay; without loss nothing changes,
// and the job says so.
TEST_F(ScanPictures, PicturesAboveTheCeilingAreScaledDownAtAQuality) {
    constexpr unsigned k300 = 11811; // dots per metre
    const auto colour = [](unsigned perMetre) {
        FIBITMAP* bitmap = FreeImage_Allocate(120, 90, 24);
        for (int y = 0; y < 90; ++y) {
            BYTE* line = FreeImage_GetScanLine(bitmap, y);
            for (int x = 0; x < 120; ++x, line += 3) {
                line[FI_RGBA_RED] = static_cast<BYTE>(x * 2);
                line[FI_RGBA_GREEN] = static_cast<BYTE>(y * 2);
                line[FI_RGBA_BLUE] = 90;
            }
        }
        FreeImage_SetDotsPerMeterX(bitmap, perMetre);
        FreeImage_SetDotsPerMeterY(bitmap, perMetre);
        return bitmap;
    };
    FIBITMAP* bilevel = pattern(1);
    FreeImage_SetDotsPerMeterX(bilevel, k300);
    FreeImage_SetDotsPerMeterY(bilevel, k300);
    host.files = {temp / "pics/fine.png", temp / "pics/fine.jpg", temp / "pics/bilevel.png",
                  temp / "pics/coarse.png"};
    ASSERT_TRUE(save(colour(k300), FIF_PNG, host.files[0]));
    ASSERT_TRUE(save(colour(k300), FIF_JPEG, host.files[1], 90));
    ASSERT_TRUE(save(bilevel, FIF_PNG, host.files[2]));
    ASSERT_TRUE(save(colour(3937), FIF_PNG, host.files[3])); // 100 dpi
    for (const bool lossless : {false, true}) {
        host.options.quality = 90;
        host.options.lossless = lossless;
        host.options.maxDpi = 150;
        const std::string pdf = convertAgain();
        ASSERT_EQ(prompts.messages.size(), lossless ? 1u : 0u);
        const std::vector<Listed> images = imagesOf(pdf);
        ASSERT_EQ(images.size(), 4u) << lossless;
        const std::vector<int> widths = {lossless ? 120 : 60, lossless ? 120 : 60, kWidth, 120};
        const std::vector<int> ppi = {lossless ? 300 : 150, lossless ? 300 : 150, 300, 100};
        for (std::size_t i = 0; i < images.size(); ++i) {
            EXPECT_EQ(images[i].width, widths[i]) << "lossless " << lossless << " page " << i + 1;
            EXPECT_EQ(images[i].xPpi, ppi[i]) << "lossless " << lossless << " page " << i + 1;
        }
        std::istringstream sizes(test::commandOutput("pdfinfo -f 1 -l 2 '" + pdf + "'"));
        int pages = 0;
        for (std::string line; std::getline(sizes, line);) {
            double width = 0;
            double height = 0;
            if (std::sscanf(line.c_str(), "Page %*d size: %lf x %lf", &width, &height) != 2)
                continue;
            ++pages;
            EXPECT_NEAR(width, 28.8, 0.01) << line;
            EXPECT_NEAR(height, 21.6, 0.01) << line;
        }
        EXPECT_EQ(pages, 2);
    }
}

// The scaling is made in bands, so that a stop is heard between them; its pixels are those of
// FreeImage_Rescale in one call, across the seams of the bands too.
TEST(Ceiling, ScalingInBandsGivesTheLibrarysOwnPixels) {
    FIBITMAP* picture = FreeImage_Allocate(700, 600, 24);
    std::srand(7);
    for (int y = 0; y < 600; ++y) {
        BYTE* line = FreeImage_GetScanLine(picture, y);
        for (int x = 0; x < 700 * 3; ++x)
            line[x] = static_cast<BYTE>((x * 7 + y * 3) ^ (std::rand() & 63));
    }
    for (const double scale : {0.37, 0.5}) {
        FIBITMAP* banded = staging::reducedCopy(picture, scale);
        const auto width = static_cast<int>(std::lround(700 * scale));
        const auto height = static_cast<int>(std::lround(600 * scale));
        FIBITMAP* whole = FreeImage_Rescale(picture, width, height, FILTER_CATMULLROM);
        ASSERT_TRUE(banded != nullptr && whole != nullptr);
        ASSERT_EQ(FreeImage_GetWidth(banded), FreeImage_GetWidth(whole));
        ASSERT_EQ(FreeImage_GetHeight(banded), FreeImage_GetHeight(whole));
        int differing = 0;
        for (int y = 0; y < height; ++y)
            differing += std::memcmp(FreeImage_GetScanLine(banded, y),
                                     FreeImage_GetScanLine(whole, y), width * 3) != 0;
        EXPECT_EQ(differing, 0) << scale;
        FreeImage_Unload(banded);
        FreeImage_Unload(whole);
    }
    FreeImage_Unload(picture);
}

// A picture laid over several pages is shown at the paper's width (tall) or height (wide), so
// the ceiling judges it there: 100 pixels across A4 stay 100, though fitted whole on one page
// they would be too fine; in a cell of a 3 x 3 sheet, a third of that page's height, finer
// still.
TEST_F(ScanPictures, TheCeilingJudgesASplitPictureAtThePapersWidth) {
    for (const bool wide : {false, true}) {
        const unsigned width = wide ? 3000 : 100, height = wide ? 100 : 3000;
        FIBITMAP* picture = FreeImage_Allocate(width, height, 24);
        for (unsigned y = 0; y < height; ++y) {
            BYTE* line = FreeImage_GetScanLine(picture, static_cast<int>(y));
            for (unsigned x = 0; x < width; ++x, line += 3) {
                line[FI_RGBA_RED] = static_cast<BYTE>(x * 2);
                line[FI_RGBA_GREEN] = static_cast<BYTE>(y / 12);
                line[FI_RGBA_BLUE] = 90;
            }
        }
        host.files = {temp / "pics/long.png"};
        ASSERT_TRUE(save(picture, FIF_PNG, host.files[0]));
        host.options.quality = 90;
        host.options.maxDpi = 150;
        host.options.page.size = jobfiles::PageSize::A4;
        for (const bool split : {true, false}) {
            host.options.page.splitTall = split;
            const std::vector<Listed> images = imagesOf(convertAgain());
            ASSERT_FALSE(images.empty());
            const int across = wide ? images[0].height : images[0].width;
            EXPECT_EQ(across, split ? 100 : 58) << "wide " << wide << ", split " << split;
        }
        if (wide)
            continue;
        host.options.page.sheetColumns = host.options.page.sheetRows = 3;
        const std::vector<Listed> images = imagesOf(convertAgain());
        ASSERT_FALSE(images.empty());
        EXPECT_EQ(images[0].width, 19);
        host.options.page.sheetColumns = host.options.page.sheetRows = 1;
    }
}
