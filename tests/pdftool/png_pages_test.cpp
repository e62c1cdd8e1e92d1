// PNG pages: embedded without loss, transparency as a soft mask, damaged files skipped.
#include "command_output.h"
#include "jobfiles/page_turns.h"
#include "jpeg_maker.h"
#include "outside/pdftool/png_planes.h"
#include "pdf_probe.h"
#include "png_maker.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <qpdf/QPDF.hh>
#include <zlib.h>

using namespace pw::pdftool;
using namespace pw::pdftool::test;
using namespace pw;
using pw::test::commandOutput;

namespace {

constexpr int kPictureDpi = 96; // a PNG without pHYs
// pdftoppm smooths pictures drawn at less than four times their size; from four times on it
// repeats each pixel, so every fourth rendered pixel is the picture's own.
constexpr int kRenderScale = 4;

struct Case {
    const char* name;
    PngSpec spec;
};

std::string raw(QPDFObjectHandle stream) {
    const auto data = stream.getRawStreamData();
    return {reinterpret_cast<const char*>(data->getBuffer()), data->getSize()};
}

} // namespace

TEST(PngPages, RenderPixelForPixelAsThePictureOverWhite) {
    const std::string key8 = std::string("\0\x40", 2);
    const Case cases[] = {
        {"rgb", {}},
        {"gray", {.colourType = 0}},
        {"palette", {.colourType = 3}},
        {"palette4", {.bitDepth = 4, .colourType = 3}},
        {"onebit", {.bitDepth = 1, .colourType = 0}},
        {"interlaced", {.interlaced = true}},
        {"rgba", {.colourType = 6}},
        {"grayalpha-interlaced", {.colourType = 4, .interlaced = true}},
        {"palette-trns", {.colourType = 3, .transparency = std::string("\0\xff\xff\0", 4)}},
        {"gray-key", {.bitDepth = 8, .colourType = 0, .transparency = key8}},
        {"rgb16", {.bitDepth = 16}},
        {"rgba16", {.bitDepth = 16, .colourType = 6}},
    };
    Stage stage;
    int index = 0;
    for (const Case& c : cases) {
        char name[16];
        std::snprintf(name, sizeof name, "%05d.png", index++);
        ASSERT_TRUE(writePng(stage.path(name), c.spec)) << c.name;
    }
    const ToolRun run = runPdfExe(stage);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    ASSERT_EQ(qpdfCheck(stage.pdf()), 0);

    index = 0;
    for (const Case& c : cases) {
        char name[16];
        std::snprintf(name, sizeof name, "%05d.png", index++);
        int width = 0;
        int height = 0;
        const std::vector<unsigned char> expected = pngOverWhite(stage.path(name), width, height);
        ASSERT_FALSE(expected.empty()) << c.name;
        const Picture page = render(stage.pdf(), index, kPictureDpi * kRenderScale);
        ASSERT_EQ(page.width, width * kRenderScale) << c.name;
        ASSERT_EQ(page.height, height * kRenderScale) << c.name;
        int wrong = 0;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const unsigned char* got = page.at(x * kRenderScale + 1, y * kRenderScale + 1);
                const unsigned char* want =
                    &expected[static_cast<std::size_t>((y * width + x) * 3)];
                for (int k = 0; k < 3; ++k)
                    wrong += got[k] != want[k];
            }
        }
        EXPECT_EQ(wrong, 0) << c.name;
    }

    // Transparent pictures, and only they, carry a soft mask.
    const std::string list = commandOutput("pdfimages -list '" + stage.pdf() + "'");
    std::vector<int> maskedPages;
    std::size_t at = 0;
    while ((at = list.find(" smask ", at)) != std::string::npos) {
        const std::size_t line = list.rfind('\n', at) + 1;
        maskedPages.push_back(std::atoi(list.c_str() + line));
        ++at;
    }
    EXPECT_EQ(maskedPages, (std::vector<int>{7, 8, 9, 10, 12})) << list;
}

// Turned pages show every pixel where the turn puts it: a copied RGB, a decoded RGBA with its
// soft mask, a palette, each turned its own way.
TEST(PngPages, TurnedPagesKeepEveryPixel) {
    const std::pair<PngSpec, int> cases[] = {
        {{}, 90}, {{.colourType = 6, .seed = 2}, 270}, {{.colourType = 3, .seed = 3}, 180}};
    Stage stage;
    jobfiles::PageTurns turns;
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        ASSERT_TRUE(writePng(stage.path("0000" + std::to_string(i) + ".png"), cases[i].first));
        turns[i] = cases[i].second;
    }
    ASSERT_TRUE(pw::jobfiles::writePageTurns(stage.folder(), turns));
    const ToolRun run = runPdfExe(stage);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    ASSERT_EQ(qpdfCheck(stage.pdf()), 0);

    for (std::size_t i = 0; i < std::size(cases); ++i) {
        int width = 0;
        int height = 0;
        const std::vector<unsigned char> picture =
            pngOverWhite(stage.path("0000" + std::to_string(i) + ".png"), width, height);
        ASSERT_FALSE(picture.empty());
        const int turn = cases[i].second;
        const bool quarter = turn != 180;
        const Picture page =
            render(stage.pdf(), static_cast<int>(i) + 1, kPictureDpi * kRenderScale);
        ASSERT_EQ(page.width, (quarter ? height : width) * kRenderScale) << turn;
        ASSERT_EQ(page.height, (quarter ? width : height) * kRenderScale) << turn;
        int wrong = 0;
        for (int y = 0; y < page.height / kRenderScale; ++y) {
            for (int x = 0; x < page.width / kRenderScale; ++x) {
                // The stored pixel shown at (x, y).
                const int storedX = turn == 90 ? y : turn == 180 ? width - 1 - x : width - 1 - y;
                const int storedY = turn == 90 ? height - 1 - x : turn == 180 ? height - 1 - y : x;
                const unsigned char* got = page.at(x * kRenderScale + 1, y * kRenderScale + 1);
                const unsigned char* want =
                    &picture[static_cast<std::size_t>((storedY * width + storedX) * 3)];
                for (int k = 0; k < 3; ++k)
                    wrong += got[k] != want[k];
            }
        }
        EXPECT_EQ(wrong, 0) << turn;
    }
}

TEST(PngPages, OpaqueNonInterlacedDataIsCopiedWithItsLayout) {
    Stage stage;
    std::string rgbProfile = fakeIccProfile(600, "RGB ");
    rgbProfile.replace(128, 4, std::string(4, '\0')); // no tags, as libpng checks the count
    rgbProfile.replace(68, 12, std::string("\0\0\xf6\xd6\0\x01\0\0\0\0\xd3\x2d", 12)); // D50
    const PngSpec specs[] = {{},
                             {.bitDepth = 1, .colourType = 0},
                             {.bitDepth = 2, .colourType = 3, .iccProfile = rgbProfile},
                             {.bitDepth = 16, .colourType = 0},
                             {.iccProfile = rgbProfile}};
    for (std::size_t i = 0; i < std::size(specs); ++i)
        ASSERT_TRUE(writePng(stage.path("0000" + std::to_string(i) + ".png"), specs[i]));
    ASSERT_TRUE(writeJpeg(stage.path("00002.jpg"), {})); // between the two kinds, by number
    const ToolRun run = runPdfExe(stage);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("Adding 00002.jpg"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("Adding 00003.png"), std::string::npos) << run.output;
    ASSERT_EQ(qpdfCheck(stage.pdf()), 0);

    QPDF pdf;
    pdf.processFile(stage.pdf().c_str());
    auto pages = pagesOf(pdf);
    ASSERT_EQ(pages.size(), 6u);
    EXPECT_EQ(pdf.getPDFVersion(), "1.5"); // 16-bit samples
    const char* spaces[] = {"/DeviceRGB", "/DeviceGray", "/Indexed", "/DeviceGray", "/ICCBased"};
    std::size_t page = 0;
    for (std::size_t i = 0; i < std::size(specs); ++i, ++page) {
        if (page == 2)
            ++page; // the JPEG
        const PngSpec& spec = specs[i];
        QPDFObjectHandle dict = pages[page].image.getDict();
        const std::string png = readFile(stage.path("0000" + std::to_string(i) + ".png"));
        EXPECT_EQ(raw(pages[page].image), pdftool::joinedIdat(png)) << i;
        EXPECT_EQ(dict.getKey("/Filter").unparse(), "/FlateDecode");
        EXPECT_EQ(dict.getKey("/BitsPerComponent").getIntValue(), spec.bitDepth) << i;
        const int colours = spec.colourType == 2 ? 3 : 1;
        EXPECT_EQ(dict.getKey("/DecodeParms").unparse(),
                  "<< /BitsPerComponent " + std::to_string(spec.bitDepth) + " /Colors " +
                      std::to_string(colours) + " /Columns 24 /Predictor 15 >>")
            << i;
        QPDFObjectHandle space = dict.getKey("/ColorSpace");
        EXPECT_EQ(space.isArray() ? space.getArrayItem(0).unparse() : space.unparse(), spaces[i]);
        EXPECT_FALSE(dict.hasKey("/SMask"));
    }
    // The palette picture's colours are in the profile too; one stream serves both pages.
    QPDFObjectHandle indexed = pages[3].image.getDict().getKey("/ColorSpace");
    EXPECT_EQ(indexed.getArrayItem(1).getArrayItem(0).unparse(), "/ICCBased");
    EXPECT_EQ(indexed.getArrayItem(2).getIntValue(), 3);
    EXPECT_EQ(indexed.getArrayItem(1).getArrayItem(1).getObjGen(),
              pages[5].image.getDict().getKey("/ColorSpace").getArrayItem(1).getObjGen());
}

TEST(PngPages, DamagedPngsAreSkippedByName) {
    Stage stage;
    ASSERT_TRUE(writePng(stage.path("00000.png"), {}));
    std::string good = readFile(stage.path("00000.png"));
    std::string badCrc = good;
    badCrc[45] = static_cast<char>(badCrc[45] ^ 0x55); // inside the IDAT data
    ASSERT_TRUE(writeFile(stage.path("00001.png"), badCrc));
    ASSERT_TRUE(writeFile(stage.path("00002.png"), good.substr(0, good.size() - 30)));
    // The data inflates to one row too few: the CRC is right, the picture (one the builder
    // decodes) is not.
    ASSERT_TRUE(writePng(stage.path("00003.png"), {.height = 16, .colourType = 6}));
    std::string shortData = readFile(stage.path("00003.png"));
    shortData[23] = 17; // IHDR height, CRC mended below
    const unsigned long crc =
        crc32(0, reinterpret_cast<const unsigned char*>(shortData.data()) + 12, 17);
    for (int b = 0; b < 4; ++b)
        shortData[29 + b] = static_cast<char>(crc >> (24 - 8 * b));
    ASSERT_TRUE(writeFile(stage.path("00003.png"), shortData));
    ASSERT_TRUE(writeFile(stage.path("00004.png"), "\x89PNG\r\n\x1a\n"));
    // The good picture's header claiming side x side pixels, its CRC mended.
    const auto square = [&good](std::uint32_t side) {
        std::string png = good;
        for (const std::size_t at : {16, 20})
            for (int b = 0; b < 4; ++b)
                png[at + static_cast<std::size_t>(b)] = static_cast<char>(side >> (24 - 8 * b));
        const unsigned long mended =
            crc32(0, reinterpret_cast<const unsigned char*>(png.data()) + 12, 17);
        for (int b = 0; b < 4; ++b)
            png[29 + static_cast<std::size_t>(b)] = static_cast<char>(mended >> (24 - 8 * b));
        return png;
    };
    // 30000 x 30000 pixels are refused before anything is decoded; within the limit,
    // 20000 x 20000 copied pixels from a few bytes of data cannot be right.
    ASSERT_TRUE(writeFile(stage.path("00005.png"), square(30000)));
    ASSERT_TRUE(writeFile(stage.path("00006.png"), square(20000)));
    // A second PLTE chunk in a picture the builder decodes (for its tRNS): libpng refuses it,
    // which would fail the whole PDF while it is written.
    ASSERT_TRUE(writePng(stage.path("00007.png"),
                         {.bitDepth = 2, .colourType = 3, .transparency = std::string("\0", 1)}));
    std::string twoPalettes = readFile(stage.path("00007.png"));
    const std::size_t palette = twoPalettes.find("PLTE") - 4;
    const std::size_t paletteEnd =
        palette + 12 + static_cast<unsigned char>(twoPalettes[palette + 3]);
    twoPalettes.insert(paletteEnd, twoPalettes, palette, paletteEnd - palette);
    ASSERT_TRUE(writeFile(stage.path("00007.png"), twoPalettes));

    const ToolRun run = runPdfExe(stage);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    for (const char* name :
         {"00001.png: damaged", "00002.png: truncated", "00003.png: image data ends early",
          "00004.png", "00005.png: 30000 x 30000 pixels reaches the limit",
          "00006.png: too little image data for its size", "00007.png: more than one PLTE chunk"})
        EXPECT_NE(run.output.find(std::string("Skipped ") + name), std::string::npos)
            << name << "\n"
            << run.output;
    EXPECT_NE(run.output.find("Wrote 1 of 8 pages"), std::string::npos) << run.output;
    EXPECT_EQ(qpdfCheck(stage.pdf()), 0);
}
