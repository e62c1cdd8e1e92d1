// Near-gray pictures stored gray at a quality, and pages turned upright by their skew.
#include "formats/jpeg_info.h"
#include "staging/picture_staging.h"
#include "temp_folder.h"
#include "test_pictures.h"

#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <leptonica/allheaders.h>
#include <string>

using namespace pw;

namespace {

jobfiles::JobOptions quality(int value, bool keepColour = false, bool deskew = false) {
    jobfiles::JobOptions options;
    options.quality = value;
    options.keepColour = keepColour;
    options.deskew = deskew;
    return options;
}

jobfiles::JobOptions lossless(bool deskew = false) {
    jobfiles::JobOptions options;
    options.lossless = true;
    options.deskew = deskew;
    return options;
}

void magick(const std::string& arguments) {
    const std::string command = "convert " + arguments + " 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

// Lines of black text on white, `width` x `height` at 150 dpi.
std::string textPage(int width, int height, const std::string& ink = "black") {
    std::string lines;
    for (int y = 60; y + 40 < height; y += 36)
        lines += " -annotate +50+" + std::to_string(y) +
                 " 'The committee reviews the quarterly report and its figures'";
    return "-size " + std::to_string(width) + "x" + std::to_string(height) +
           " xc:white -font DejaVu-Sans -pointsize 22 -fill " + ink + lines +
           " -density 150 -units PixelsPerInch";
}

int components(const std::string& jpeg) {
    std::string reason;
    const std::optional<formats::JpegInfo> info = formats::readJpegInfo(jpeg, reason);
    return info ? info->components : 0;
}

// The skew Leptonica finds on a staged page, at full size to a hundredth of a degree.
double skewOf(const std::string& path) {
    PIX* pix = pixRead(path.c_str());
    PIX* bits = pix != nullptr ? pixConvertTo1(pix, 128) : nullptr;
    l_float32 angle = 99.0f;
    l_float32 confidence = 0.0f;
    l_float32 end = 0.0f;
    if (bits == nullptr || pixFindSkewSweepAndSearchScore(bits, &angle, &confidence, &end, 1, 1,
                                                          0.0f, 8.0f, 0.2f, 0.01f) != 0)
        angle = 99.0f;
    pixDestroy(&bits);
    pixDestroy(&pix);
    return angle;
}

} // namespace

// A gray page scanned in colour (a faint cast, colour noise) goes gray at a quality, from a PNG
// (its rows read directly) and a TIFF (decoded by FreeImage); colour photos, a sepia-toned
// picture and pale tinted paper keep their colour, as does everything with keepColour; without
// loss the PNG is staged as it is.
TEST(Staging, NearGreyScansGoGreyColourStaysColourLosslessUntouched) {
    test::TempFolder temp;
    const std::string scan = temp / "scan.png";
    magick(textPage(600, 400, "'gray(20%)'") +
           " -colorspace sRGB -type TrueColor -blur 0x0.7 -attenuate 0.5 +noise Gaussian"
           " -channel R -evaluate add 1.5% -channel B -evaluate subtract 1.5% +channel -depth 8"
           " -define png:color-type=2 '" +
           scan + "'");
    magick("'" + scan + "' '" + temp / "scan.tif" + "'");
    magick("-size 600x400 -seed 3 plasma:fractal -blur 0x2 -depth 8 '" + temp / "photo.png" + "'");
    magick("-size 600x400 gradient:white-black -attenuate 0.3 +noise Gaussian -sepia-tone 80%"
           " -depth 8 '" +
           temp / "sepia.png" + "'");
    magick("-size 600x400 xc:'#EAF2FF' -attenuate 0.3 +noise Gaussian -depth 8 '" +
           temp / "pale.png" + "'");

    for (const char* name : {"scan.png", "scan.tif"}) {
        EXPECT_EQ(components(staging::stageForJob(temp / name, temp / "g", quality(100))), 1)
            << name;
        EXPECT_EQ(components(staging::stageForJob(temp / name, temp / "k", quality(80, true))), 3)
            << name;
    }
    for (const char* name : {"photo.png", "sepia.png", "pale.png"})
        EXPECT_EQ(components(staging::stageForJob(temp / name, temp / "c", quality(80))), 3)
            << name;
    ASSERT_EQ(staging::stageForJob(scan, temp / "l", lossless()), temp / "l.png");
    EXPECT_EQ(test::readBytes(temp / "l.png"), test::readBytes(scan));
}

// A page turned by a known angle comes back level within 0.2 degree, as a PNG, a JPEG file
// (re-encoded at the quality, or without loss as a PNG, its EXIF turn applied) and a
// black-and-white page (still black and white); a straight JPEG keeps its bytes and a photo is
// not turned.
TEST(Staging, DeskewedPagesComeBackLevel) {
    test::TempFolder temp;
    const std::string page = temp / "page.png";
    magick(textPage(900, 1100) +
           " -background white -rotate 3.2 -gravity center -crop 900x1100+0+0 +repage -depth 8 '" +
           page + "'");
    magick("'" + page + "' -rotate -5.7 -quality 92 '" + temp / "left.jpg" + "'");
    magick("'" + page + "' -threshold 50% -type bilevel '" + temp / "bw.png" + "'");
    ASSERT_GT(std::abs(skewOf(page)), 3.0);

    const std::string png = staging::stageForJob(page, temp / "a", quality(90, false, true));
    ASSERT_EQ(png, temp / "a.jpg");
    EXPECT_LT(std::abs(skewOf(png)), 0.2);
    const std::string jpeg =
        staging::stageForJob(temp / "left.jpg", temp / "b", quality(90, false, true));
    ASSERT_EQ(jpeg, temp / "b.jpg");
    EXPECT_NE(test::readBytes(jpeg), test::readBytes(temp / "left.jpg"));
    EXPECT_LT(std::abs(skewOf(jpeg)), 0.2);
    const std::string kept = staging::stageForJob(temp / "left.jpg", temp / "c", lossless(true));
    ASSERT_EQ(kept, temp / "c.png");
    EXPECT_LT(std::abs(skewOf(kept)), 0.2);
    // Stored sideways with an EXIF turn: the PNG, which cannot carry the turn, gets it applied.
    magick("'" + page + "' -rotate -90 -quality 92 '" + temp / "side.jpg" + "'");
    ASSERT_EQ(std::system(
                  ("exiftool -q -overwrite_original -n -Orientation=6 '" + temp / "side.jpg" + "'")
                      .c_str()),
              0);
    const std::string upright = staging::stageForJob(temp / "side.jpg", temp / "h", lossless(true));
    ASSERT_EQ(upright, temp / "h.png");
    PIX* shown = pixRead(upright.c_str());
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(pixGetWidth(shown), 900);
    pixDestroy(&shown);
    EXPECT_LT(std::abs(skewOf(upright)), 0.2);
    // As Group 4, which Leptonica reads back.
    jobfiles::JobOptions g4 = quality(90, false, true);
    g4.bilevel = jobfiles::BilevelCoding::G4;
    const std::string bw = staging::stageForJob(temp / "bw.png", temp / "d", g4);
    ASSERT_EQ(bw, temp / "d.tif");
    EXPECT_LT(std::abs(skewOf(bw)), 0.2);

    magick(textPage(900, 1100) + " -quality 90 '" + temp / "level.jpg" + "'");
    EXPECT_EQ(test::readBytes(
                  staging::stageForJob(temp / "level.jpg", temp / "e", quality(90, false, true))),
              test::readBytes(temp / "level.jpg"));
    magick("-size 600x400 -seed 5 plasma:fractal -blur 0x2 '" + temp / "photo.tif" + "'");
    EXPECT_EQ(test::readBytes(
                  staging::stageForJob(temp / "photo.tif", temp / "f", quality(90, false, true))),
              test::readBytes(staging::stageForJob(temp / "photo.tif", temp / "g", quality(90))));
}
