// The quality choice: JPEG at a quality, or lossless PNG pages; staging on worker threads.
#include "command_output.h"
#include "counting_pump.h"
#include "fake_job_host.h"
#include "fake_prompts.h"
#include "formats/jpeg_info.h"
#include "job/ConversionJob.h"
#include "job/staging_pool.h"
#include "job_fixture.h"
#include "jpeg_maker.h"
#include "pictures/png_rows.h"
#include "platform/paths.h"
#include "png_maker.h"
#include "staging/picture_staging.h"
#include "temp_folder.h"
#include "test_pictures.h"

#include <FreeImage.h>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <png.h>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;
using namespace pw;

namespace {

jobfiles::JobOptions quality(int value) {
    jobfiles::JobOptions options;
    options.quality = value;
    return options;
}

jobfiles::JobOptions lossless() {
    jobfiles::JobOptions options;
    options.lossless = true;
    return options;
}

// A bitmap of `bpp` bits (FreeImage type `type`) filled with pseudo-random samples.
FIBITMAP* noise(FREE_IMAGE_TYPE type, int bpp, int width, int height, unsigned seed) {
    FIBITMAP* bitmap = FreeImage_AllocateT(type, width, height, bpp);
    if (bitmap == nullptr)
        return nullptr;
    if (bpp <= 8 && type == FIT_BITMAP) {
        RGBQUAD* palette = FreeImage_GetPalette(bitmap);
        for (unsigned i = 0; i < FreeImage_GetColorsUsed(bitmap); ++i)
            palette[i] = {static_cast<BYTE>(i * 37), static_cast<BYTE>(255 - i * 11),
                          static_cast<BYTE>(i * 5), 0};
    }
    for (int y = 0; y < height; ++y) {
        BYTE* line = FreeImage_GetScanLine(bitmap, y);
        for (unsigned i = 0; i < FreeImage_GetLine(bitmap); ++i) {
            seed = seed * 1103515245u + 12345u;
            line[i] = static_cast<BYTE>(seed >> 16);
        }
    }
    return bitmap;
}

// A made-up RGB profile that libpng writes into a PNG.
std::string pngProfile() {
    std::string profile = pdftool::test::fakeIccProfile(600, "RGB ");
    profile.replace(128, 4, std::string(4, '\0')); // no tags, as libpng checks the count
    profile.replace(68, 12, std::string("\0\0\xf6\xd6\0\x01\0\0\0\0\xd3\x2d", 12)); // D50
    return profile;
}

struct Rendered {
    int width = 0;
    int height = 0;
    std::string rgb;
};

Rendered render(const std::string& pdf, int page, double dpi) {
    const std::string prefix = pdf + ".page";
    const std::string command = "pdftoppm -singlefile -r " + std::to_string(dpi) + " -f " +
                                std::to_string(page) + " -l " + std::to_string(page) + " '" + pdf +
                                "' '" + prefix + "' 2>/dev/null";
    Rendered result;
    if (std::system(command.c_str()) != 0)
        return result;
    std::ifstream in(prefix + ".ppm", std::ios::binary);
    std::string magic;
    int maxValue = 0;
    in >> magic >> result.width >> result.height >> maxValue;
    in.get();
    result.rgb.assign(static_cast<std::size_t>(result.width * result.height * 3), '\0');
    in.read(result.rgb.data(), static_cast<std::streamsize>(result.rgb.size()));
    return result;
}

// The sampling factors of a JPEG's frame header, "HxV" per component ("2x2 1x1 1x1" for
// 4:2:0); empty when there is none.
std::string samplingFactors(const std::string& path) {
    const std::string jpeg = test::readBytes(path);
    std::size_t at = 2;
    while (at + 4 <= jpeg.size() && static_cast<unsigned char>(jpeg[at]) == 0xFF) {
        const auto marker = static_cast<unsigned char>(jpeg[at + 1]);
        const std::size_t length = static_cast<unsigned char>(jpeg[at + 2]) << 8 |
                                   static_cast<unsigned char>(jpeg[at + 3]);
        if (marker >= 0xC0 && marker <= 0xC2 && at + 10 <= jpeg.size()) {
            std::string factors;
            const int components = static_cast<unsigned char>(jpeg[at + 9]);
            for (int c = 0; c < components && at + 12 + 3 * c <= jpeg.size(); ++c) {
                const auto both = static_cast<unsigned char>(jpeg[at + 11 + 3 * c]);
                if (c > 0)
                    factors += ' ';
                factors.append(std::to_string(both >> 4))
                    .append("x")
                    .append(std::to_string(both & 15));
            }
            return factors;
        }
        at += 2 + length;
    }
    return {};
}

} // namespace

TEST(Quality, JpegAtTheChosenQualityAndJpegDataNeverReencoded) {
    test::TempFolder temp;
    ASSERT_TRUE(test::writePicture(temp / "photo.tif", FIF_TIFF, 320, 240));
    EXPECT_EQ(staging::stageForJob(temp / "photo.tif", temp / "q30", quality(30)),
              temp / "q30.jpg");
    EXPECT_EQ(staging::stageForJob(temp / "photo.tif", temp / "q95", quality(95)),
              temp / "q95.jpg");
    EXPECT_LT(fs::file_size(temp / "q30.jpg"), fs::file_size(temp / "q95.jpg"));

    // Whatever the name and the choice, JPEG data is staged byte for byte.
    ASSERT_TRUE(test::writePicture(temp / "scan.jpeg", FIF_JPEG));
    const std::string bytes = test::readBytes(temp / "scan.jpeg");
    for (const jobfiles::JobOptions& options : {quality(30), quality(100), lossless()}) {
        const std::string staged = staging::stageForJob(temp / "scan.jpeg", temp / "s", options);
        ASSERT_EQ(staged, temp / "s.jpg");
        EXPECT_EQ(test::readBytes(staged), bytes);
    }

    // Transparent pixels (here black ones) lie on white; one opaque red pixel keeps the
    // picture in colour.
    FIBITMAP* clear = FreeImage_Allocate(16, 16, 32);
    ASSERT_NE(clear, nullptr);
    BYTE* red = FreeImage_GetScanLine(clear, 8) + 8 * 4;
    red[FI_RGBA_RED] = 255;
    red[FI_RGBA_ALPHA] = 255;
    ASSERT_TRUE(FreeImage_Save(FIF_PNG, clear, (temp / "clear.png").c_str(), 0));
    FreeImage_Unload(clear);
    ASSERT_TRUE(staging::normalisePicture(temp / "clear.png", "png", temp / "c.jpg", nullptr, 80));
    FIBITMAP* staged = FreeImage_Load(FIF_JPEG, (temp / "c.jpg").c_str(), 0);
    ASSERT_NE(staged, nullptr);
    RGBQUAD corner{};
    ASSERT_TRUE(FreeImage_GetPixelColor(staged, 0, 0, &corner));
    EXPECT_GE(std::min({corner.rgbRed, corner.rgbGreen, corner.rgbBlue}), 250);
    FreeImage_Unload(staged);
}

// Best quality keeps colour at full resolution, so red lines on white stay sharp; lower ones
// halve it each way for smaller files. Both writers: the PNG fast path and FreeImage's.
TEST(Quality, BestQualityKeepsFullColourResolution) {
    test::TempFolder temp;
    ASSERT_TRUE(test::writePicture(temp / "shot.png", FIF_PNG, 64, 48));
    ASSERT_TRUE(test::writePicture(temp / "scan.tif", FIF_TIFF, 64, 48));
    for (const char* name : {"shot.png", "scan.tif"}) {
        for (const auto& [level, factors] : {std::pair{100, "1x1 1x1 1x1"},
                                             {90, "1x1 1x1 1x1"},
                                             {89, "2x2 1x1 1x1"},
                                             {80, "2x2 1x1 1x1"}}) {
            // The PNG through the JPEG writer alone: as it is, it is smaller.
            const std::string staged = temp / "q.jpg";
            ASSERT_TRUE(std::string(name) == "shot.png"
                            ? staging::normalisePicture(temp / name, "png", staged, nullptr, level)
                            : staging::stageForJob(temp / name, temp / "q", quality(level)) ==
                                  staged)
                << name;
            EXPECT_EQ(samplingFactors(staged), factors) << name << " at " << level;
        }
    }
}

// 8-bit PNGs skip FreeImage in quality mode; the JPEG must be the one FreeImage's path writes.
TEST(Quality, PngsReadWithoutFreeImageStageTheSameJpeg) {
    using pdftool::test::PngSpec;
    test::TempFolder temp;
    const std::string profile = pngProfile();
    std::vector<PngSpec> specs;
    unsigned seed = 1;
    for (const int type : {0, 2, 3, 4, 6})
        for (const int filter :
             {PNG_FILTER_NONE, PNG_FILTER_SUB, PNG_FILTER_UP, PNG_FILTER_AVG, PNG_FILTER_PAETH})
            specs.push_back({.width = 37,
                             .height = 19,
                             .colourType = type,
                             .seed = seed++,
                             .binaryAlpha = false,
                             .filters = filter});
    specs.push_back({.colourType = 3, .transparency = std::string("\0\x80\xff\x10", 4)});
    specs.push_back({.iccProfile = profile, .dotsPerMeter = 11811});
    specs.push_back({.colourType = 6, .iccProfile = profile, .dotsPerMeter = 0});
    std::vector<std::string> pngs;
    for (std::size_t i = 0; i < specs.size(); ++i) {
        pngs.push_back(temp / ('p' + std::to_string(i) + ".png"));
        ASSERT_TRUE(pdftool::test::writePng(pngs.back(), specs[i]));
    }
    // Smooth pictures inflate through the other library; ImageMagick adds gAMA, cHRM, bKGD,
    // tIME and text chunks.
    for (const int bpp : {24, 32}) {
        pngs.push_back(temp / ("fi" + std::to_string(bpp) + ".png"));
        ASSERT_TRUE(test::writePicture(pngs.back(), FIF_PNG, 300, 200, bpp));
    }
    for (const char* how : {"plasma:fractal PNG24:", "gradient:'rgba(255,0,0,0.2)-blue' PNG32:",
                            "plasma:fractal -colors 50 PNG8:"}) {
        pngs.push_back(temp / ("im" + std::to_string(pngs.size()) + ".png"));
        const std::string command =
            std::string("convert -size 64x40 ") + how + "'" + pngs.back() + "'";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }
    for (std::size_t i = 0; i < pngs.size(); ++i) {
        const std::string& png = pngs[i];
        pictures::PngRows rows;
        EXPECT_TRUE(rows.open(png)) << i;
        const std::string fast = temp / "fast.jpg";
        const std::string slow = temp / "slow.jpg";
        ASSERT_TRUE(staging::normalisePicture(png, "png", fast, nullptr, 90)) << i;
        ASSERT_TRUE(staging::decodeAndSave(png, "png", slow, nullptr, [&](FIBITMAP* bitmap) {
            return staging::saveStagedBitmap(bitmap, png, slow, 90);
        }));
        const std::string bytes = test::readBytes(fast);
        if (i < specs.size() && !specs[i].iccProfile.empty()) {
            // The profile, which FreeImage does not read, right after the JFIF marker.
            ASSERT_EQ(bytes.compare(20, 2, "\xff\xe2"), 0) << i;
            EXPECT_EQ(bytes.compare(38, 600, specs[i].iccProfile), 0) << i;
        }
        EXPECT_TRUE(bytes == test::readBytes(slow)) << i;
    }
    // Interlaced, 16-bit and colour-keyed pictures stay with FreeImage, and keep their profile.
    const PngSpec others[] = {
        {.interlaced = true, .iccProfile = profile},
        {.bitDepth = 16, .iccProfile = profile},
        {.transparency = std::string("\0\1\0\2\0\3", 6), .iccProfile = profile}};
    for (const PngSpec& spec : others) {
        const std::string png = temp / "other.png";
        ASSERT_TRUE(pdftool::test::writePng(png, spec));
        EXPECT_FALSE(pictures::PngRows().open(png));
        ASSERT_EQ(staging::stageForJob(png, temp / "other", quality(90)), temp / "other.jpg");
        std::string reason;
        const auto info = formats::readJpegInfo(temp / "other.jpg", reason);
        ASSERT_TRUE(info.has_value()) << reason;
        EXPECT_TRUE(info->iccProfile == profile) << spec.interlaced << spec.bitDepth;
    }
}

// Gray rows of long flat runs, as in a scan, broken here and there, under every filter: the
// rows as stored come back byte for byte, for 8 bits a pixel and for 1.
TEST(Quality, PngRowsUndoEveryFilterOfFlatAndBrokenRows) {
    test::TempFolder temp;
    pdftool::test::PngSpec spec{.width = 203, .height = 40, .colourType = 0};
    for (const int bits : {8, 1}) {
        spec.bitDepth = bits;
        const std::size_t rowBytes = bits == 8 ? 203 : 26;
        spec.data.clear();
        for (std::size_t y = 0; y < 40; ++y) {
            for (std::size_t x = 0; x < rowBytes; ++x) {
                char byte = (x / 29 + y / 3) % 3 == 0 ? '\0' : '\xff';
                if ((x * y) % 97 == 5 || (y == 20 && x >= 16 && x < 48))
                    byte = static_cast<char>(x ^ (y * 7));
                spec.data += byte;
            }
        }
        for (const int filter :
             {PNG_FILTER_NONE, PNG_FILTER_SUB, PNG_FILTER_UP, PNG_FILTER_AVG, PNG_FILTER_PAETH}) {
            spec.filters = filter;
            const std::string png = temp / "flat.png";
            ASSERT_TRUE(pdftool::test::writePng(png, spec));
            pictures::PngRows rows;
            ASSERT_TRUE(rows.open(png, true)) << bits;
            EXPECT_EQ(rows.bitDepth(), bits);
            for (std::size_t y = 0; y < 40; ++y) {
                const auto* row = reinterpret_cast<const char*>(rows.nextStoredRow());
                ASSERT_EQ(std::string(row, rowBytes), spec.data.substr(y * rowBytes, rowBytes))
                    << "bits " << bits << " filter " << filter << " row " << y;
            }
        }
        EXPECT_EQ(pictures::PngRows().open(temp / "flat.png"), bits == 8); // 1 bit only when asked
    }
}

TEST(Quality, LosslessKeepsPngsAsTheyAreAndWritesOthersAsPng) {
    test::TempFolder temp;
    ASSERT_TRUE(test::writePicture(temp / "shot.png", FIF_PNG));
    EXPECT_EQ(staging::stageForJob(temp / "shot.png", temp / "a", lossless()), temp / "a.png");
    EXPECT_EQ(test::readBytes(temp / "a.png"), test::readBytes(temp / "shot.png"));
    // A PNG with a damaged chunk is decoded as far as it goes and written afresh.
    std::string damaged = test::readBytes(temp / "shot.png");
    damaged[30] = static_cast<char>(damaged[30] ^ 1); // the header's CRC
    ASSERT_TRUE(test::writeBytes(temp / "damaged.png", damaged));
    const std::string staged = staging::stageForJob(temp / "damaged.png", temp / "b", lossless());
    if (!staged.empty()) {
        EXPECT_NE(test::readBytes(staged), damaged);
    }
    test::writeBytes(temp / "broken.tif", "not a picture");
    EXPECT_EQ(staging::stageForJob(temp / "broken.tif", temp / "c", lossless()), "");
    EXPECT_FALSE(fs::exists(temp / "c.png"));
}

// A gray scan of few levels (as a halftoned one) codes worse as JPEG than as PNG: at a quality
// it is staged as lossless mode stages it, its pixels exact, also when read by FreeImage
// (interlaced), unless it was scaled down for the ceiling; a photo stays a smaller JPEG.
TEST(Quality, APngSmallerThanItsJpegIsStagedWithoutLoss) {
    test::TempFolder temp;
    pdftool::test::PngSpec scan{.width = 300, .height = 200, .colourType = 0};
    pdftool::test::PngSpec photo{.width = 300, .height = 200, .colourType = 2};
    unsigned seed = 7;
    for (int y = 0; y < 200; ++y) {
        for (int x = 0; x < 300; ++x) {
            seed = seed * 1103515245u + 12345u;
            scan.data += "\x00\x80\xff"[(seed >> 16) % 3];
            const int grain = static_cast<int>((seed >> 20) % 5) - 2;
            for (const int level : {x * 255 / 300, y * 255 / 200, (x + y) * 255 / 500})
                photo.data += static_cast<char>(std::clamp(level + grain, 0, 255));
        }
    }
    const std::string scanPng = temp / "scan.png";
    const std::string photoPng = temp / "photo.png";
    ASSERT_TRUE(pdftool::test::writePng(scanPng, scan));
    ASSERT_TRUE(pdftool::test::writePng(photoPng, photo));
    scan.interlaced = true;
    const std::string interlaced = temp / "interlaced.png";
    ASSERT_TRUE(pdftool::test::writePng(interlaced, scan));
    for (const std::string& png : {scanPng, interlaced}) {
        EXPECT_EQ(staging::stageForJob(png, temp / "q", quality(75)), temp / "q.png") << png;
        EXPECT_FALSE(fs::exists(temp / "q.jpg"));
        EXPECT_TRUE(test::readBytes(temp / "q.png") == test::readBytes(png)) << png;
        fs::remove(temp / "q.png");
    }
    EXPECT_EQ(staging::stageForJob(photoPng, temp / "p", quality(75)), temp / "p.jpg");
    EXPECT_FALSE(fs::exists(temp / "p.png"));
    EXPECT_LT(fs::file_size(temp / "p.jpg"), fs::file_size(photoPng));
    // 300 x 200 at the builder's 96 dpi is above a ceiling of 90.
    jobfiles::JobOptions ceiling = quality(75);
    ceiling.maxDpi = 90;
    EXPECT_EQ(staging::stageForJob(scanPng, temp / "c", ceiling), temp / "c.jpg");
    EXPECT_FALSE(fs::exists(temp / "c.png"));
    for (const std::string& png : {scanPng, photoPng}) {
        EXPECT_EQ(staging::stageForJob(png, temp / "l", lossless()), temp / "l.png");
        EXPECT_TRUE(test::readBytes(temp / "l.png") == test::readBytes(png)) << png;
    }
}

class QualityJob : public test::JobFixture {};

TEST_F(QualityJob, LosslessPagesShowEveryPixelOfTheirTiffs) {
    struct Kind {
        const char* name;
        FREE_IMAGE_TYPE type;
        int bpp;
    };
    const Kind kinds[] = {{"rgb.tif", FIT_BITMAP, 24},   {"palette.tif", FIT_BITMAP, 8},
                          {"onebit.tif", FIT_BITMAP, 1}, {"gray16.tif", FIT_UINT16, 16},
                          {"rgb16.tif", FIT_RGB16, 48},  {"alpha.png", FIT_BITMAP, 32}};
    constexpr int kWidth = 20;
    constexpr int kHeight = 12;
    host.options = lossless();
    std::vector<FIBITMAP*> expected;
    unsigned seed = 7;
    for (const Kind& kind : kinds) {
        FIBITMAP* bitmap = noise(kind.type, kind.bpp, kWidth, kHeight, ++seed);
        ASSERT_NE(bitmap, nullptr) << kind.name;
        if (kind.bpp == 32) {
            for (int y = 0; y < kHeight; ++y) {
                BYTE* line = FreeImage_GetScanLine(bitmap, y);
                for (int x = 0; x < kWidth; ++x)
                    line[x * 4 + FI_RGBA_ALPHA] = (x + y) % 3 == 0 ? 0 : 255;
            }
        }
        FreeImage_SetDotsPerMeterX(bitmap, 3780); // 96 dpi
        FreeImage_SetDotsPerMeterY(bitmap, 3780);
        const std::string path = temp / kind.name;
        const auto format = kind.bpp == 32 ? FIF_PNG : FIF_TIFF;
        ASSERT_TRUE(FreeImage_Save(format, bitmap, path.c_str(), 0)) << kind.name;
        host.files.push_back(path);
        // What a reader shows: 8 bits a sample (16-bit ones by their high byte), over white.
        FIBITMAP* rgba = kind.type == FIT_UINT16 ? FreeImage_Allocate(kWidth, kHeight, 32)
                                                 : FreeImage_ConvertTo32Bits(bitmap);
        ASSERT_NE(rgba, nullptr) << kind.name;
        if (kind.type == FIT_UINT16) {
            for (int y = 0; y < kHeight; ++y) {
                const auto* in = reinterpret_cast<const WORD*>(FreeImage_GetScanLine(bitmap, y));
                BYTE* out = FreeImage_GetScanLine(rgba, y);
                for (int x = 0; x < kWidth; ++x)
                    out[4 * x] = out[4 * x + 1] = out[4 * x + 2] = static_cast<BYTE>(in[x] >> 8);
                for (int x = 0; x < kWidth; ++x)
                    out[4 * x + 3] = 255;
            }
        }
        RGBQUAD white = {255, 255, 255, 0};
        expected.push_back(FreeImage_Composite(rgba, FALSE, &white, nullptr));
        FreeImage_Unload(rgba);
        FreeImage_Unload(bitmap);
    }

    run();
    const std::string pdf = out("NewPDF.pdf");
    ASSERT_TRUE(fs::exists(pdf));
    EXPECT_TRUE(prompts.messages.empty());
    for (std::size_t i = 0; i < std::size(kinds); ++i) {
        // pdftoppm smooths pictures drawn at less than four times their size.
        const Rendered page = render(pdf, static_cast<int>(i) + 1, 4 * 3780 * 0.0254);
        ASSERT_EQ(page.width, 4 * kWidth) << kinds[i].name;
        int wrong = 0;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                RGBQUAD want{};
                FreeImage_GetPixelColor(expected[i], x, kHeight - 1 - y, &want);
                const auto* got =
                    reinterpret_cast<const unsigned char*>(&page.rgb[static_cast<std::size_t>(
                        ((4 * y + 1) * page.width + 4 * x + 1) * 3)]);
                wrong += got[0] != want.rgbRed || got[1] != want.rgbGreen || got[2] != want.rgbBlue;
            }
        }
        EXPECT_EQ(wrong, 0) << kinds[i].name;
        FreeImage_Unload(expected[i]);
    }
}

TEST_F(QualityJob, LaterTiffPagesKeepTheirSamplesAsStored) {
    const std::string path = temp / "pics/pages.tif";
    FIMULTIBITMAP* tiff = FreeImage_OpenMultiBitmap(FIF_TIFF, path.c_str(), TRUE, FALSE);
    ASSERT_NE(tiff, nullptr);
    const std::pair<FREE_IMAGE_TYPE, int> kinds[] = {
        {FIT_BITMAP, 24}, {FIT_UINT16, 16}, {FIT_BITMAP, 1}, {FIT_RGB16, 48}, {FIT_BITMAP, 8}};
    unsigned seed = 3;
    for (const auto& [type, bpp] : kinds) {
        FIBITMAP* bitmap = noise(type, bpp, 20, 12, ++seed);
        ASSERT_NE(bitmap, nullptr);
        FreeImage_AppendPage(tiff, bitmap);
        FreeImage_Unload(bitmap);
    }
    ASSERT_TRUE(FreeImage_CloseMultiBitmap(tiff, 0));
    host.options = lossless();
    host.files = {path};
    run();

    // pdfimages -list: page num type width height color comp bpc ...
    std::istringstream list(test::commandOutput("pdfimages -list '" + out("NewPDF.pdf") + "'"));
    std::vector<std::string> images;
    std::string line;
    while (std::getline(list, line)) {
        std::istringstream fields(line);
        std::string page, num, type, width, height, colour, components, bits;
        if (fields >> page >> num >> type >> width >> height >> colour >> components >> bits &&
            type == "image")
            images.push_back(colour + " " + bits);
    }
    EXPECT_EQ(images,
              (std::vector<std::string>{"rgb 8", "gray 16", "index 1", "rgb 16", "index 8"}));
}

// Pictures re-encoded or decoded by FreeImage reach the PDF as any JPEG would: turned as the
// camera says and in their own colours.
TEST_F(QualityJob, ReencodedPagesKeepTheirTurnAndProfile) {
    const std::string profile = pngProfile();
    const std::string photo = temp / "photo.jpg";
    ASSERT_TRUE(pdftool::test::writeJpeg(
        photo, {.width = 48, .height = 16, .exifOrientation = 6, .iccProfile = profile}));
    host.files = {temp / "pics/photo.jpg", temp / "pics/deep.png"};
    ASSERT_TRUE(test::writeBytes(host.files[0], test::withScanRepeated(test::readBytes(photo))));
    ASSERT_TRUE(pdftool::test::writePng(host.files[1], {.bitDepth = 16, .iccProfile = profile}));
    host.options = quality(90);
    run();

    const std::string pdf = out("NewPDF.pdf");
    ASSERT_EQ(test::pageCount(pdf), 2);
    // The red block over the stored top-left corner shows top right once turned.
    const Rendered page = render(pdf, 1, 288);
    ASSERT_GT(page.height, page.width);
    const auto at = [&page](int x, int y) {
        return reinterpret_cast<const unsigned char*>(
            &page.rgb[static_cast<std::size_t>((y * page.width + x) * 3)]);
    };
    const unsigned char* red = at(page.width * 7 / 8, page.height / 8);
    EXPECT_TRUE(red[0] > 200 && red[1] < 60 && red[2] < 60);
    const unsigned char* white = at(page.width / 4, page.height * 3 / 4);
    EXPECT_TRUE(white[0] > 200 && white[1] > 200 && white[2] > 200);
    // pdfimages -list: page num type width height color ...
    std::istringstream list(test::commandOutput("pdfimages -list '" + pdf + "'"));
    std::vector<std::string> colours;
    for (std::string line; std::getline(list, line);) {
        std::istringstream fields(line);
        std::string number, num, type, width, height, colour;
        if (fields >> number >> num >> type >> width >> height >> colour && type == "image")
            colours.push_back(colour);
    }
    EXPECT_EQ(colours, (std::vector<std::string>{"icc", "icc"}));
}

// PDF/A-1b allows no transparency: lossless pages lose it, on white, and the job says so, once
// for all its pictures, also in per-picture mode.
TEST_F(QualityJob, PdfA1bLaysLosslessTransparencyOnWhiteWithANotice) {
    host.files = {temp / "pics/a.png", temp / "pics/b.png", temp / "pics/c.png"};
    ASSERT_TRUE(pdftool::test::writePng(host.files[0], {.colourType = 6}));
    ASSERT_TRUE(pdftool::test::writePng(host.files[1], {.bitDepth = 16, .colourType = 4}));
    ASSERT_TRUE(pdftool::test::writePng(host.files[2], {.colourType = 2}));
    host.options = lossless();
    host.options.pdfa = jobfiles::PdfaLevel::A1b;
    host.perPicture = true;
    const auto result = run();
    ASSERT_TRUE(result);
    ASSERT_EQ(result->written.size(), 3u);
    ASSERT_EQ(result->notices.size(), 1u);
    EXPECT_NE(result->notices[0].text.find("transparent parts of 2 pictures were laid on white"),
              std::string::npos)
        << result->notices[0].text;
    for (const std::string& pdf : result->written)
        EXPECT_EQ(test::commandOutput("pdfimages -list '" + pdf + "' | grep -c smask"), "0\n");
}

TEST(StagingPool, ResultsComeInListOrderWhateverTheirStagingTime) {
    constexpr int kCount = 24;
    constexpr int kWorkers = 3;
    constexpr int kLookahead = 5;
    std::atomic<int> running{0};
    std::atomic<int> mostRunning{0};
    std::atomic<int> taken{0};
    std::atomic<bool> tooFarAhead{false};
    std::vector<std::string> results;
    {
        job::StagingPool<std::string> pool(kCount, kWorkers, kLookahead, [&](int index) {
            // `taken` trails the pool's own count by at most one picture.
            if (index > taken.load() + kLookahead)
                tooFarAhead = true;
            const int now = ++running;
            int seen = mostRunning.load();
            while (now > seen && !mostRunning.compare_exchange_weak(seen, now)) {
            }
            // Early pictures take longest, so later ones finish first.
            std::this_thread::sleep_for(std::chrono::milliseconds((kCount - index) % 7));
            --running;
            return "picture " + std::to_string(index);
        });
        int idles = 0;
        for (int i = 0; i < kCount; ++i) {
            results.push_back(pool.take(i, [&] { ++idles; }));
            taken = i + 1;
        }
    }
    for (int i = 0; i < kCount; ++i)
        EXPECT_EQ(results[static_cast<std::size_t>(i)], "picture " + std::to_string(i));
    EXPECT_LE(mostRunning.load(), kWorkers);
    EXPECT_FALSE(tooFarAhead.load());
}

TEST(StagingPool, APictureThatRunsOutOfMemoryIsMissingAndTheRestComeThrough) {
    std::vector<std::string> results;
    {
        job::StagingPool<std::string> pool(3, 2, 2, [](int index) -> std::string {
            if (index == 1)
                throw std::bad_alloc();
            return "picture " + std::to_string(index);
        });
        for (int i = 0; i < 3; ++i)
            results.push_back(pool.take(i, [] {}));
    }
    EXPECT_EQ(results, (std::vector<std::string>{"picture 0", "", "picture 2"}));
}
