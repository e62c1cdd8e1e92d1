#include "formats/jpeg_info.h"
#include "job_staging.h"
#include "jobfiles/job_options.h"
#include "jpeg_maker.h"
#include "pictures/bitmap.h"
#include "pictures/format_table.h"
#include "pictures/picture_size_check.h"
#include "staging/picture_pages.h"
#include "staging/picture_staging.h"
#include "temp_folder.h"
#include "test_pictures.h"

#include <FreeImage.h>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <tiffio.h>
#include <unistd.h>
#include <utility>

using namespace pw;

namespace {

// The staged file is a JPEG of 24 bits per pixel with the source's size.
void expectStagedJpeg(const std::string& path, int width, int height) {
    ASSERT_TRUE(pictures::hasJpegSignature(path)) << path;
    const pictures::Bitmap bitmap(FreeImage_Load(FIF_JPEG, path.c_str(), 0));
    ASSERT_TRUE(bitmap) << path;
    EXPECT_EQ(FreeImage_GetBPP(bitmap.get()), 24u);
    EXPECT_EQ(FreeImage_GetWidth(bitmap.get()), static_cast<unsigned>(width));
    EXPECT_EQ(FreeImage_GetHeight(bitmap.get()), static_cast<unsigned>(height));
}

// Stages as the job does at its default quality; a PNG, which the job keeps as it is when that
// is smaller, through the JPEG writer alone.
bool stageAsJpeg(const std::string& source, const std::string& target) {
    if (source.ends_with(".png"))
        return staging::normalisePicture(source, "png", target);
    return test::stageLikeJob(source, target);
}

} // namespace

TEST(Staging, EveryTableFormatBecomesA24BitJpeg) {
    test::TempFolder temp;
    const std::pair<const char*, int> written[] = {{"scan.bmp", FIF_BMP},   {"scan.Dib", FIF_BMP},
                                                   {"scan.jpeg", FIF_JPEG}, {"scan.gif", FIF_GIF},
                                                   {"scan.png", FIF_PNG},   {"scan.tif", FIF_TIFF},
                                                   {"scan.TIFF", FIF_TIFF}, {"scan.psd", FIF_PSD}};
    for (const auto& [name, format] : written) {
        ASSERT_TRUE(test::writePicture(temp / name, format, 64, 48)) << name;
        if (format == FIF_PNG) { // smaller as it is than as a JPEG
            ASSERT_TRUE(test::stageLikeJob(temp / name, temp / "staged.png")) << name;
            EXPECT_TRUE(test::readBytes(temp / "staged.png") == test::readBytes(temp / name));
            continue;
        }
        ASSERT_TRUE(test::stageLikeJob(temp / name, temp / "staged.jpg")) << name;
        expectStagedJpeg(temp / "staged.jpg", 64, 48);
    }
    ASSERT_TRUE(test::writePicture(temp / "scan.ico", FIF_ICO, 32, 32)); // icons are square
    ASSERT_TRUE(test::stageLikeJob(temp / "scan.ico", temp / "ico.jpg"));
    expectStagedJpeg(temp / "ico.jpg", 32, 32);
    ASSERT_TRUE(test::writePcx(temp / "scan.pcx", 16, 8));
    ASSERT_TRUE(test::stageLikeJob(temp / "scan.pcx", temp / "pcx.jpg"));
    expectStagedJpeg(temp / "pcx.jpg", 16, 8);
    // The ILBM is black and white: a JBIG2 page.
    ASSERT_TRUE(test::writeIlbm(temp / "scan.iff", 16, 8));
    ASSERT_TRUE(test::stageLikeJob(temp / "scan.iff", temp / "iff.jb2"));

    EXPECT_EQ(pictures::formatForExtension("TIFF"), FIF_TIFF);
    EXPECT_EQ(pictures::formatForExtension("jpg"), std::nullopt);
    EXPECT_EQ(pictures::formatForExtension("peg"), std::nullopt);
}

TEST(Staging, SixteenBitGrayScansShowTheirHighByte) {
    test::TempFolder temp;
    const pictures::Bitmap owned(FreeImage_AllocateT(FIT_UINT16, 64, 8, 16));
    FIBITMAP* gray = owned.get();
    ASSERT_NE(gray, nullptr);
    for (int y = 0; y < 8; ++y) {
        auto* line = reinterpret_cast<WORD*>(FreeImage_GetScanLine(gray, y));
        for (int x = 0; x < 64; ++x)
            line[x] = static_cast<WORD>(0x4000 + x * 256 + 0x7F); // high bytes 64 to 127
    }
    for (const auto& [name, format] :
         {std::pair{"scan16.png", FIF_PNG}, {"scan16.tif", FIF_TIFF}}) {
        ASSERT_TRUE(FreeImage_Save(format, gray, (temp / name).c_str(), 0)) << name;
        ASSERT_TRUE(stageAsJpeg(temp / name, temp / "staged.jpg")) << name;
        const pictures::Bitmap loaded(FreeImage_Load(FIF_JPEG, (temp / "staged.jpg").c_str(), 0));
        ASSERT_TRUE(loaded) << name;
        EXPECT_EQ(FreeImage_GetBPP(loaded.get()), 8u) << name; // gray stays one channel
        const pictures::Bitmap converted(FreeImage_ConvertTo24Bits(loaded.get()));
        FIBITMAP* staged = converted.get();
        for (const int x : {0, 21, 42, 63}) {
            RGBQUAD shown{};
            FreeImage_GetPixelColor(staged, static_cast<unsigned>(x), 4, &shown);
            EXPECT_NEAR(shown.rgbGreen, 64 + x, 1) << name << " at " << x;
        }
    }
}

TEST(Staging, JpegContentIsStagedAsItIsWhateverItsNameOrLink) {
    test::TempFolder temp;
    ASSERT_TRUE(test::writePicture(temp / "photo.JPG", FIF_JPEG));
    const std::string bytes = test::readBytes(temp / "photo.JPG");
    for (const char* name : {"photo.jpeg", "photo.JPEG", "photo.jpe", "photo.png"})
        ASSERT_TRUE(test::writeBytes(temp / name, bytes));
    std::filesystem::create_directories(temp / "photos");
    ASSERT_TRUE(test::writeBytes(temp / "photos/IMG_1.jpg", bytes));
    ASSERT_EQ(::symlink("photos/IMG_1.jpg", (temp / "cover.jpg").c_str()), 0);
    std::filesystem::create_directories(temp / "staging");
    for (const char* name :
         {"photo.JPG", "photo.jpeg", "photo.JPEG", "photo.jpe", "photo.png", "cover.jpg"}) {
        const std::string staged = temp / "staging/00000.jpg";
        ASSERT_TRUE(test::stageLikeJob(temp / name, staged)) << name;
        EXPECT_FALSE(std::filesystem::is_symlink(staged)) << name;
        EXPECT_EQ(test::readBytes(staged), bytes) << name;
    }
    EXPECT_TRUE(std::filesystem::is_symlink(temp / "cover.jpg")); // the user's file stays
}

// JPEGs that libjpeg (and so PDF readers) refuse to decode as they are: staged from their
// pixels, never embedded unchanged.
TEST(Staging, JpegsReadersCannotDecodeAreReencoded) {
    test::TempFolder temp;
    const std::string make = "convert -size 48x16 xc:'#3366cc' -units Undefined ";
    ASSERT_EQ(std::system((make + "-sampling-factor 3x1 '" + (temp / "y31.jpg") + "'").c_str()), 0);
    ASSERT_EQ(std::system((make + "-sampling-factor 1x1 '" + (temp / "y11.jpg") + "'").c_str()), 0);
    // Cb sampled 2x1 beside Y 3x1: a factor that does not divide the largest.
    std::string fractional = test::readBytes(temp / "y31.jpg");
    const auto frame = fractional.find("\xFF\xC0");
    ASSERT_NE(frame, std::string::npos);
    ASSERT_EQ(fractional[frame + 14], '\x11');
    fractional[frame + 14] = '\x21';
    ASSERT_TRUE(test::writeBytes(temp / "fractional.jpg", fractional));
    const std::string twoScans = test::withScanRepeated(test::readBytes(temp / "y11.jpg"));
    ASSERT_FALSE(twoScans.empty());
    ASSERT_TRUE(test::writeBytes(temp / "twoscans.jpg", twoScans));

    for (const char* name : {"fractional.jpg", "twoscans.jpg"}) {
        EXPECT_FALSE(staging::isEmbeddableJpeg(temp / name)) << name;
        ASSERT_TRUE(test::stageLikeJob(temp / name, temp / "staged.jpg")) << name;
        EXPECT_TRUE(staging::isEmbeddableJpeg(temp / "staged.jpg")) << name;
        const std::string staged = test::readBytes(temp / "staged.jpg");
        // JFIF density unit 0 in the source: no resolution stated, none made up.
        ASSERT_GT(staged.size(), 16u);
        EXPECT_EQ(staged.substr(14, 2), std::string(2, '\0')) << name;
        expectStagedJpeg(temp / "staged.jpg", 48, 16);
    }
    // With Lossless chosen, the quality shown is not in force: the best one is used.
    jobfiles::JobOptions lossless;
    lossless.lossless = true;
    lossless.quality = 5;
    ASSERT_EQ(staging::stageForJob(temp / "fractional.jpg", temp / "l", lossless), temp / "l.jpg");
    const std::string staged = test::readBytes(temp / "l.jpg");
    const auto table = staged.find("\xFF\xDB");
    ASSERT_NE(table, std::string::npos);
    EXPECT_EQ(staged.substr(table + 5, 64), std::string(64, '\x01')); // quality 100
}

// A photo taken upright (EXIF orientation 6) with a colour profile keeps both when it is
// re-encoded, so the builder turns its page and keeps its colours as for any JPEG.
TEST(Staging, ReencodedJpegsKeepTheirTurnAndProfile) {
    test::TempFolder temp;
    const std::string profile = pdftool::test::fakeIccProfile(600, "RGB ");
    pdftool::test::JpegSpec picture{
        .width = 48, .height = 16, .exifOrientation = 6, .iccProfile = profile};
    ASSERT_TRUE(pdftool::test::writeJpeg(temp / "photo.jpg", picture));
    const std::string photo = test::readBytes(temp / "photo.jpg");
    // Y sampled 3x2 beside Cb 2x1, and the complete scan once more before the end.
    std::string fractional = photo;
    const auto frame = fractional.find("\xFF\xC0");
    ASSERT_NE(frame, std::string::npos);
    ASSERT_EQ(fractional.substr(frame + 11, 4), std::string("\x22\x00\x02\x11", 4));
    fractional[frame + 11] = '\x32';
    fractional[frame + 14] = '\x21';
    ASSERT_TRUE(test::writeBytes(temp / "fractional.jpg", fractional));
    const std::string twoScans = test::withScanRepeated(photo);
    ASSERT_FALSE(twoScans.empty());
    ASSERT_TRUE(test::writeBytes(temp / "twoscans.jpg", twoScans));
    picture.arithmetic = true;
    ASSERT_TRUE(pdftool::test::writeJpeg(temp / "arithmetic.jpg", picture));

    jobfiles::JobOptions options;
    options.quality = 90;
    for (const char* name : {"fractional.jpg", "twoscans.jpg", "arithmetic.jpg"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(staging::isEmbeddableJpeg(temp / name));
        ASSERT_EQ(staging::stageForJob(temp / name, temp / "staged", options), temp / "staged.jpg");
        std::string reason;
        const auto info = formats::readJpegInfo(temp / "staged.jpg", reason);
        ASSERT_TRUE(info.has_value()) << reason;
        EXPECT_EQ(info->width, 48);
        EXPECT_EQ(info->orientation, 6);
        EXPECT_TRUE(info->iccProfile == profile);
    }
}

// A 40 x 30 picture of 32 bits: the left half black and fully transparent, the right half
// dark blue and opaque; `alpha` false writes zero into every fourth byte instead.
bool writeHalfTransparent(const std::string& path, int format, bool alpha) {
    const pictures::Bitmap owned(FreeImage_Allocate(40, 30, 32));
    FIBITMAP* bitmap = owned.get();
    if (bitmap == nullptr)
        return false;
    for (int y = 0; y < 30; ++y) {
        BYTE* pixel = FreeImage_GetScanLine(bitmap, y);
        for (int x = 0; x < 40; ++x, pixel += 4) {
            const bool right = x >= 20;
            pixel[FI_RGBA_RED] = right ? 16 : 0;
            pixel[FI_RGBA_GREEN] = right ? 32 : 0;
            pixel[FI_RGBA_BLUE] = right ? 128 : 0;
            pixel[FI_RGBA_ALPHA] = alpha && right ? 255 : 0;
        }
    }
    return FreeImage_Save(static_cast<FREE_IMAGE_FORMAT>(format), bitmap, path.c_str(), 0) == TRUE;
}

TEST(Staging, TransparentPixelsAreLaidOverWhite) {
    test::TempFolder temp;
    ASSERT_TRUE(writeHalfTransparent(temp / "logo.png", FIF_PNG, true));
    ASSERT_TRUE(writeHalfTransparent(temp / "logo.tif", FIF_TIFF, true));
    ASSERT_TRUE(writeHalfTransparent(temp / "logo.bmp", FIF_BMP, true));
    ASSERT_EQ(std::system(
                  ("convert '" + (temp / "logo.png") + "' '" + (temp / "logo.gif") + "'").c_str()),
              0);
    // A 32-bit BMP whose fourth byte is zero everywhere uses it for nothing: all opaque.
    ASSERT_TRUE(writeHalfTransparent(temp / "plain.bmp", FIF_BMP, false));
    for (const char* name : {"logo.png", "logo.tif", "logo.bmp", "logo.gif", "plain.bmp"}) {
        ASSERT_TRUE(stageAsJpeg(temp / name, temp / "00000.jpg")) << name;
        expectStagedJpeg(temp / "00000.jpg", 40, 30);
        const pictures::Bitmap owned(FreeImage_Load(FIF_JPEG, (temp / "00000.jpg").c_str(), 0));
        FIBITMAP* bitmap = owned.get();
        ASSERT_NE(bitmap, nullptr);
        RGBQUAD left{};
        RGBQUAD right{};
        FreeImage_GetPixelColor(bitmap, 5, 15, &left);
        FreeImage_GetPixelColor(bitmap, 35, 15, &right);
        const bool opaque = std::string(name) == "plain.bmp";
        EXPECT_EQ(left.rgbRed > 235 && left.rgbGreen > 235 && left.rgbBlue > 235, !opaque) << name;
        EXPECT_LT(right.rgbRed, 60) << name;
        EXPECT_GT(right.rgbBlue, 90) << name;
    }
}

TEST(Staging, WrongOrShortenedExtensionsAreReadByContent) {
    test::TempFolder temp;
    ASSERT_TRUE(test::writePicture(temp / "1.peg", FIF_JPEG));         // scratch copy of .jpeg
    ASSERT_TRUE(test::writePicture(temp / "2.iff", FIF_TIFF, 20, 10)); // scratch copy of .tiff
    ASSERT_TRUE(test::writePicture(temp / "3.bmp", FIF_PNG, 30, 20));  // a PNG named .bmp
    ASSERT_TRUE(test::writePicture(temp / "4.jpg", FIF_PNG, 24, 12));  // a PNG named .jpg
    EXPECT_TRUE(test::stageLikeJob(temp / "1.peg", temp / "a.jpg"));
    expectStagedJpeg(temp / "a.jpg", 64, 48);
    EXPECT_TRUE(test::stageLikeJob(temp / "2.iff", temp / "b.jpg"));
    expectStagedJpeg(temp / "b.jpg", 20, 10);
    // PNGs, smaller as they are than as JPEGs.
    EXPECT_TRUE(test::stageLikeJob(temp / "3.bmp", temp / "c.png"));
    EXPECT_TRUE(test::readBytes(temp / "c.png") == test::readBytes(temp / "3.bmp"));
    EXPECT_TRUE(test::stageLikeJob(temp / "4.jpg", temp / "d.png"));
    EXPECT_TRUE(test::readBytes(temp / "d.png") == test::readBytes(temp / "4.jpg"));
}

TEST(Staging, UnreadablePicturesLeaveNoStagedFile) {
    test::TempFolder temp;
    test::writeBytes(temp / "broken.png", "not a picture at all");
    test::writeBytes(temp / "00000.jpg", "stale");
    EXPECT_FALSE(test::stageLikeJob(temp / "broken.png", temp / "00000.jpg"));
    EXPECT_FALSE(test::stageLikeJob(temp / "absent.jpg", temp / "00001.jpg"));
    EXPECT_FALSE(std::filesystem::exists(temp / "00000.jpg"));
    EXPECT_FALSE(std::filesystem::exists(temp / "00001.jpg"));
}

TEST(Staging, PicturesAtThePixelLimitAreRefusedFromTheirHeaderWithAReason) {
    test::TempFolder temp;
    // A JPEG claiming 65500 x 65500 in a few hundred bytes would be copied unchanged.
    ASSERT_TRUE(test::writePicture(temp / "huge.jpg", FIF_JPEG));
    std::string jpeg = test::readBytes(temp / "huge.jpg");
    const auto sof = jpeg.find("\xFF\xC0");
    ASSERT_NE(sof, std::string::npos);
    jpeg.replace(sof + 5, 4, "\xFF\xDC\xFF\xDC");
    ASSERT_TRUE(test::writeBytes(temp / "huge.jpg", jpeg));
    // Decoded, these would take 2.7 GB each.
    ASSERT_TRUE(test::writeClaimedPng(temp / "bomb.png", 30000, 30000));
    ASSERT_TRUE(test::writeClaimedTiff(temp / "bomb.tif", 40000, 30000));
    const std::pair<const char*, const char*> refused[] = {{"huge.jpg", "65500 x 65500 pixels"},
                                                           {"bomb.png", "30000 x 30000 pixels"},
                                                           {"bomb.tif", "40000 x 30000 pixels"}};
    for (const auto& [name, size] : refused) {
        std::string reason;
        EXPECT_FALSE(test::stageLikeJob(temp / name, temp / "00000.jpg", &reason)) << name;
        EXPECT_EQ(reason, std::string(size) + " reaches the limit of 900 megapixels") << name;
        EXPECT_FALSE(std::filesystem::exists(temp / "00000.jpg")) << name;
    }
    // Within the limit, but a few bytes could never decode to 1.2 GB of pixels.
    ASSERT_TRUE(test::writeClaimedPng(temp / "short.png", 20000, 20000));
    ASSERT_TRUE(test::writeClaimedTiff(temp / "short.tif", 20000, 20000));
    ASSERT_TRUE(test::writeClaimedBmp(temp / "short.bmp", 20000, 20000));
    ASSERT_TRUE(test::writeClaimedGif(temp / "short.gif", 20000, 20000));
    for (const char* name : {"short.png", "short.tif", "short.bmp", "short.gif"}) {
        std::string reason;
        EXPECT_FALSE(test::stageLikeJob(temp / name, temp / "00000.jpg", &reason)) << name;
        EXPECT_EQ(reason, "20000 x 20000 pixels claimed with too little image data for them")
            << name;
    }
    // Whole files pass, tiled ones counted by their tiles.
    const std::string tiled = temp / "tiled.tif";
    ASSERT_EQ(std::system(("convert -size 300x200 gradient: -depth 8 -compress none -define "
                           "tiff:tile-geometry=64x64 '" +
                           tiled + "'")
                              .c_str()),
              0);
    EXPECT_TRUE(test::stageLikeJob(tiled, temp / "00000.jpg"));
}

// Each codec's data against the pixels its header claims, through the job's staging: small
// files claiming large pictures are refused, the most compressed pictures writers make are not.
TEST(Staging, CodecsRefuseTooLittleDataForTheirBestRatioButNotWhitePages) {
    test::TempFolder temp;
    const jobfiles::JobOptions options;
    ASSERT_TRUE(
        test::writeClaimedTiff(temp / "fax.tif", 10000, 10000, COMPRESSION_CCITTFAX4, 1, 1));
    ASSERT_TRUE(test::writeClaimedTiff(temp / "jpeg.tif", 20000, 20000, COMPRESSION_JPEG));
    ASSERT_TRUE(test::writeClaimedTiff(temp / "zstd.tif", 20000, 20000, COMPRESSION_ZSTD, 1));
    ASSERT_TRUE(test::writeClaimedBmp(temp / "rle8.bmp", 20000, 20000, 8, 1));
    ASSERT_TRUE(test::writeClaimedBmp(temp / "rle4.bmp", 24000, 24000, 4, 2));
    // A 124-byte info header, which FreeImage alone refuses, claiming 20000 x 20000 pixels
    // without any of them.
    ASSERT_EQ(std::system(("convert -size 30x20 xc:red -type truecolor 'BMP:" + temp / "v5.bmp" +
                           "' 2>/dev/null")
                              .c_str()),
              0);
    std::string v5 = test::readBytes(temp / "v5.bmp");
    ASSERT_EQ(v5.compare(14, 4, std::string("\x7C\0\0\0", 4)), 0);
    v5.replace(18, 8, std::string("\x20\x4E\0\0\x20\x4E\0\0", 8));
    v5.resize(static_cast<unsigned char>(v5[10]));
    ASSERT_TRUE(test::writeBytes(temp / "v5.bmp", v5));
    const std::pair<const char*, const char*> bombs[] = {
        {"fax.tif", "10000 x 10000"},  {"jpeg.tif", "20000 x 20000"}, {"zstd.tif", "20000 x 20000"},
        {"rle8.bmp", "20000 x 20000"}, {"rle4.bmp", "24000 x 24000"}, {"v5.bmp", "20000 x 20000"}};
    for (const auto& [name, size] : bombs) {
        const staging::PictureStaging staged =
            staging::stagePicturePages(temp / name, temp / "bomb", options);
        EXPECT_EQ(staged.pages, 0) << name;
        EXPECT_EQ(staged.problem,
                  std::string(size) + " pixels claimed with too little image data for them")
            << name;
    }
    // At their codec's best: a white fax page takes one bit a row (1253 bytes), a white
    // Zstandard strip 1/31700 of its bytes.
    ASSERT_TRUE(
        test::writeWhiteTiff(temp / "page.tif", 10000, 10000, COMPRESSION_CCITTFAX4, 1, 1, 10000));
    ASSERT_TRUE(test::writeWhiteTiff(temp / "gray.tif", 4096, 4096, COMPRESSION_ZSTD, 1, 8, 4096));
    for (const char* name : {"page.tif", "gray.tif"}) {
        const staging::PictureStaging staged =
            staging::stagePicturePages(temp / name, temp / "white", options);
        EXPECT_EQ(staged.pages, 1) << name << ": " << staged.problem;
    }
    // Held to the general rule: white pictures just over 256 MB, from their headers (decoding
    // them would take seconds).
    ASSERT_TRUE(test::writeWhiteTiff(temp / "white.tif", 16384, 16400, COMPRESSION_JPEG, 1, 8, 16));
    ASSERT_TRUE(test::writeUniformRleBmp(temp / "white8.bmp", 16384, 16400, 8));
    ASSERT_TRUE(test::writeUniformRleBmp(temp / "white4.bmp", 23200, 23200, 4));
    EXPECT_EQ(pictures::headerTooLarge(FIF_TIFF, temp / "white.tif"), "");
    EXPECT_EQ(pictures::headerTooLarge(FIF_BMP, temp / "white8.bmp"), "");
    EXPECT_EQ(pictures::headerTooLarge(FIF_BMP, temp / "white4.bmp"), "");
}

// Editors write BMPs with the V4 / V5 info header, which FreeImage alone refuses.
TEST(Staging, BmpWithNewerInfoHeadersIsRead) {
    test::TempFolder temp;
    const std::pair<const char*, const char*> made[] = {
        {"rgb.bmp", "-type truecolor BMP:"}, // 24 bits, 124-byte header
        {"masks.bmp", "-alpha on BMP:"},     // 32 bits with colour masks
    };
    for (const auto& [name, how] : made) {
        const std::string command = std::string("convert -size 30x20 xc:'#ff0000' ") + how + "'" +
                                    (temp / name) + "' 2>/dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        ASSERT_TRUE(test::stageLikeJob(temp / name, temp / "staged.jpg")) << name;
        expectStagedJpeg(temp / "staged.jpg", 30, 20);
        const pictures::Bitmap owned(FreeImage_Load(FIF_JPEG, (temp / "staged.jpg").c_str(), 0));
        FIBITMAP* bitmap = owned.get();
        ASSERT_NE(bitmap, nullptr);
        RGBQUAD pixel{};
        FreeImage_GetPixelColor(bitmap, 15, 10, &pixel);
        EXPECT_GT(pixel.rgbRed, 230) << name;
        EXPECT_LT(pixel.rgbGreen, 25) << name;
        EXPECT_LT(pixel.rgbBlue, 25) << name;
    }
}

// A picture that states no resolution gets none in its staged JPEG (so its page uses the
// builder's default like a JPEG without one); a stated one is kept as the builder reads it,
// exactly when stated per metre (ImageMagick's 150 dpi PNG holds 5905 or 5906 dots per metre).
TEST(Staging, OnlyAStatedResolutionIsKept) {
    test::TempFolder temp;
    const auto stagedDpi = [](const std::string& path) {
        std::string reason;
        const auto info = formats::readJpegInfo(path, reason);
        return info ? std::pair(info->xDpi, info->yDpi) : std::pair(-1.0, -1.0);
    };
    const std::pair<const char*, double> made[] = {
        {"-units Undefined PNG:plain.png", 0},
        {"GIF:plain.gif", 0},
        {"-compress none TIFF:plain.tif", 0},
        {"-density 150 -units PixelsPerInch PNG:stated.png", -1}, // read from its pHYs chunk
        {"-density 150 -units PixelsPerInch TIFF:stated.tif", 150},
    };
    for (const auto& [how, dpi] : made) {
        std::string spec = how;
        const std::string name = spec.substr(spec.rfind(':') + 1);
        std::string quoted = "'";
        quoted += temp / name;
        quoted += "'";
        spec.replace(spec.rfind(':') + 1, std::string::npos, quoted);
        const std::string command = "convert -size 40x30 xc:'#3366cc' " + spec + " 2>/dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        ASSERT_TRUE(stageAsJpeg(temp / name, temp / "staged.jpg")) << name;
        double stated = dpi;
        if (stated < 0) {
            const std::string png = test::readBytes(temp / name);
            const auto phys = png.find("pHYs");
            ASSERT_NE(phys, std::string::npos);
            stated = (static_cast<unsigned char>(png[phys + 6]) << 8 |
                      static_cast<unsigned char>(png[phys + 7])) *
                     0.0254;
            ASSERT_NEAR(stated, 150, 0.03);
        }
        const auto [x, y] = stagedDpi(temp / "staged.jpg");
        EXPECT_NEAR(x, stated, 1e-9) << name;
        EXPECT_NEAR(y, stated, 1e-9) << name;
    }
}
