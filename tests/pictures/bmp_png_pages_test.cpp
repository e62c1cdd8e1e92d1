// BMP variants written byte by byte and PNG variants written with libpng, through the whole
// job in both modes: each page must show the picture's colours at the picture's size, rendered
// by mutool (which does not smooth pictures drawn at their own size).
#include "command_output.h"
#include "job_fixture.h"
#include "jpeg_maker.h"
#include "staging/picture_pages.h"
#include "staging/picture_staging.h"
#include "test_pictures.h"

#include <array>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <png.h>

using namespace pw;

namespace {

struct Rgb {
    int r, g, b;
};
constexpr Rgb kWhite{255, 255, 255};
// Four stripes of 16 pixels; each sample differs from the others in its pixel, so a swapped
// channel shows.
constexpr std::array<Rgb, 4> kStripes{{{255, 128, 0}, {0, 96, 255}, {64, 255, 160}, {160, 0, 64}}};

void put(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>(value >> (8 * i)));
}

// A colour sample as `mask` holds it, and what reading it back gives in 8 bits.
std::uint32_t toMask(int sample, std::uint32_t mask) {
    const int shift = __builtin_ctz(mask);
    const std::uint64_t max = mask >> shift;
    return static_cast<std::uint32_t>((sample * max + 127) / 255) << shift;
}
int throughMask(int sample, std::uint32_t mask) {
    const std::uint64_t max = mask >> __builtin_ctz(mask);
    return static_cast<int>(((toMask(sample, mask) >> __builtin_ctz(mask)) * 255 + max / 2) / max);
}

struct Bmp {
    std::uint32_t headerSize = 40; // 12: OS/2 1.x, 64: OS/2 2.x
    int width = 64;
    int height = 16;
    int bpp = 8;
    std::uint32_t compression = 0;
    std::array<std::uint32_t, 4> masks{}; // written for compression 3 (after a 40-byte header)
    std::int32_t dotsPerMeter = 0;
    std::uint32_t colours = 4; // palette entries: the stripes', then black
    std::string pixels;        // as stored, bottom row first
};

// The file: headers, the stripes' palette for 8 bits or fewer, then the pixels.
std::string bmpFile(const Bmp& bmp) {
    std::string info;
    put(info, bmp.headerSize, 4);
    if (bmp.headerSize == 12) {
        put(info, static_cast<std::uint32_t>(bmp.width), 2);
        put(info, static_cast<std::uint32_t>(bmp.height), 2);
        put(info, 1, 2);
        put(info, static_cast<std::uint32_t>(bmp.bpp), 2);
    } else {
        put(info, static_cast<std::uint32_t>(bmp.width), 4);
        put(info, static_cast<std::uint32_t>(bmp.height), 4);
        put(info, 1, 2);
        put(info, static_cast<std::uint32_t>(bmp.bpp), 2);
        put(info, bmp.compression, 4);
        put(info, static_cast<std::uint32_t>(bmp.pixels.size()), 4);
        put(info, static_cast<std::uint32_t>(bmp.dotsPerMeter), 4);
        put(info, static_cast<std::uint32_t>(bmp.dotsPerMeter), 4);
        put(info, bmp.bpp >= 1 && bmp.bpp <= 8 ? bmp.colours : 0, 4); // palette entries
        put(info, 0, 4);
        if (bmp.headerSize >= 52 && bmp.headerSize != 64)
            for (const std::uint32_t mask : bmp.masks)
                put(info, mask, 4);
        if (bmp.headerSize >= 108 && bmp.headerSize != 64)
            info += "BGRs";
        info.resize(bmp.headerSize, '\0');
    }
    std::string extra;
    if (bmp.compression == 3 && bmp.headerSize == 40)
        for (int i = 0; i < 3; ++i)
            put(extra, bmp.masks[static_cast<std::size_t>(i)], 4);
    if (bmp.bpp >= 1 && bmp.bpp <= 8) {
        for (const Rgb& c : kStripes) {
            extra += {static_cast<char>(c.b), static_cast<char>(c.g), static_cast<char>(c.r)};
            if (bmp.headerSize != 12)
                extra.push_back('\0');
        }
        if (bmp.headerSize == 12) // OS/2 1.x palettes have every entry
            extra.append(3 * ((std::size_t{1} << bmp.bpp) - 4), '\0');
        else
            extra.append(4 * (bmp.colours - 4), '\0');
    }
    const std::size_t offset = 14 + info.size() + extra.size();
    std::string file = "BM";
    put(file, static_cast<std::uint32_t>(offset + bmp.pixels.size()), 4);
    put(file, 0, 4);
    put(file, static_cast<std::uint32_t>(offset), 4);
    return file + info + extra + bmp.pixels;
}

// Rows of the stripes, bottom row first, each pixel written by `pixel` and rows padded to four
// bytes.
template <typename Pixel> std::string stripeRows(int width, int height, Pixel pixel) {
    std::string rows;
    for (int y = 0; y < height; ++y) {
        std::string row;
        for (int x = 0; x < width; ++x)
            pixel(row, x / 16 % 4);
        row.resize((row.size() + 3) / 4 * 4, '\0');
        rows += row;
    }
    return rows;
}

std::string indexRows(int width, int height) {
    return stripeRows(width, height, [](std::string& row, int i) { row.push_back(char(i)); });
}

struct Png {
    int width = 64;
    int height = 16;
    int bitDepth = 8;
    int colourType = 2; // 2 RGB or 3 palette (the stripes' colours)
    bool interlaced = false;
    double gamma = 0.0;           // gAMA when not 0
    bool lastTransparent = false; // tRNS making the last stripe's palette entry transparent
    int physUnit = -1;            // pHYs with these values when not negative
    std::uint32_t physX = 0;
    std::uint32_t physY = 0;
};

bool writePng(const std::string& path, const Png& spec) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    const int sampleBytes = spec.bitDepth / 8;
    std::vector<std::vector<png_byte>> rows(static_cast<std::size_t>(spec.height));
    for (auto& row : rows) {
        for (int x = 0; x < spec.width; ++x) {
            const int stripe = x / 16 % 4;
            if (spec.colourType == 3) {
                if (spec.bitDepth == 8)
                    row.push_back(static_cast<png_byte>(stripe));
                else if (x % 2 == 0)
                    row.push_back(static_cast<png_byte>(stripe << 4));
                else
                    row.back() = static_cast<png_byte>(row.back() | stripe);
                continue;
            }
            const Rgb& c = kStripes[static_cast<std::size_t>(stripe)];
            for (const int sample : {c.r, c.g, c.b})
                for (int b = 0; b < sampleBytes; ++b)
                    row.push_back(static_cast<png_byte>(sample)); // 16 bits: sample * 257
        }
    }
    std::vector<png_bytep> pointers;
    for (auto& row : rows)
        pointers.push_back(row.data());
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(spec.width),
                 static_cast<png_uint_32>(spec.height), spec.bitDepth, spec.colourType,
                 spec.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    std::array<png_color, 4> palette{};
    for (std::size_t i = 0; i < palette.size(); ++i)
        palette[i] = {static_cast<png_byte>(kStripes[i].r), static_cast<png_byte>(kStripes[i].g),
                      static_cast<png_byte>(kStripes[i].b)};
    if (spec.colourType == 3)
        png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
    const std::array<png_byte, 4> alpha{255, 255, 255, 0};
    if (spec.lastTransparent)
        png_set_tRNS(png, info, alpha.data(), static_cast<int>(alpha.size()), nullptr);
    if (spec.gamma > 0.0)
        png_set_gAMA(png, info, spec.gamma);
    if (spec.physUnit >= 0)
        png_set_pHYs(png, info, spec.physX, spec.physY, spec.physUnit);
    if (spec.interlaced)
        png_set_interlace_handling(png);
    png_write_info(png, info);
    png_write_image(png, pointers.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0;
}

// The same file with its tRNS chunk moved before the PLTE chunk.
std::string transparencyFirst(const std::string& png) {
    const auto chunkAt = [&png](const char* type) { return png.find(type) - 4; };
    const std::size_t palette = chunkAt("PLTE");
    const std::size_t transparency = chunkAt("tRNS");
    const std::size_t length = 12 + (static_cast<unsigned char>(png[transparency + 3]));
    std::string moved = png;
    moved.erase(transparency, length);
    moved.insert(palette, png.substr(transparency, length));
    return moved;
}

struct Page {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;
    Rgb at(int x, int y) const {
        const unsigned char* p = &rgb[static_cast<std::size_t>((y * width + x) * 3)];
        return {p[0], p[1], p[2]};
    }
};

testing::AssertionResult near(const Rgb& got, const Rgb& want, int tolerance) {
    if (std::abs(got.r - want.r) <= tolerance && std::abs(got.g - want.g) <= tolerance &&
        std::abs(got.b - want.b) <= tolerance)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << got.r << "," << got.g << "," << got.b << " for " << want.r
                                       << "," << want.g << "," << want.b;
}

class BmpPngPages : public test::JobFixture {
protected:
    std::string picture(const std::string& name, const std::string& bytes) {
        const std::string path = temp / ("pics/" + name);
        EXPECT_TRUE(test::writeBytes(path, bytes));
        host.files.push_back(path);
        return path;
    }
    std::string picture(const std::string& name, const Png& spec) {
        const std::string path = temp / ("pics/" + name);
        EXPECT_TRUE(writePng(path, spec));
        host.files.push_back(path);
        return path;
    }
    // The job over the pictures in one mode; the PDF it wrote.
    std::string convert(bool lossless) {
        host.options.lossless = lossless;
        host.folder = temp / (lossless ? "lossless" : "quality");
        run();
        EXPECT_TRUE(prompts.messages.empty()) << prompts.messages.front().text;
        return host.folder + "/NewPDF.pdf";
    }
    // Page `number` at 96 dpi, where a picture of that resolution shows a pixel per pixel.
    Page render(const std::string& pdf, int number) {
        const std::string pnm = temp / "page.pnm";
        Page page;
        if (std::system(("mutool draw -q -F pnm -c rgb -r 96 -o '" + pnm + "' '" + pdf + "' " +
                         std::to_string(number) + " 2>/dev/null")
                            .c_str()) != 0)
            return page;
        std::ifstream in(pnm, std::ios::binary);
        std::string magic;
        int maxValue = 0;
        in >> magic >> page.width >> page.height >> maxValue;
        in.get();
        page.rgb.resize(static_cast<std::size_t>(page.width * page.height * 3));
        in.read(reinterpret_cast<char*>(page.rgb.data()),
                static_cast<std::streamsize>(page.rgb.size()));
        return page;
    }
    // Width and height of page `number` in points.
    std::pair<double, double> pageSize(const std::string& pdf, int number) {
        const std::string text = test::commandOutput("mutool pages '" + pdf + "' " +
                                                     std::to_string(number) + " 2>/dev/null");
        const auto value = [&text](const char* key) {
            const auto at = text.find(key);
            return at == std::string::npos ? -1.0 : std::atof(text.c_str() + at + 3);
        };
        return {value("r=\""), value("t=\"")};
    }
    // Page i shows the stripes expected[i]: the first four at the top (4 pixels down), the
    // others at the bottom (4 pixels up).
    void expectStripes(const std::string& pdf, const std::vector<std::array<Rgb, 8>>& expected,
                       int tolerance) {
        for (std::size_t i = 0; i < expected.size(); ++i) {
            SCOPED_TRACE(host.files[i]);
            const Page page = render(pdf, static_cast<int>(i) + 1);
            ASSERT_EQ(page.width, 64);
            ASSERT_EQ(page.height, 16);
            for (int stripe = 0; stripe < 4; ++stripe) {
                const auto s = static_cast<std::size_t>(stripe);
                EXPECT_TRUE(near(page.at(16 * stripe + 8, 4), expected[i][s], tolerance))
                    << "top of stripe " << stripe;
                EXPECT_TRUE(near(page.at(16 * stripe + 8, 12), expected[i][s + 4], tolerance))
                    << "bottom of stripe " << stripe;
            }
        }
    }
};

std::array<Rgb, 8> stripes() {
    std::array<Rgb, 8> all{};
    for (std::size_t i = 0; i < 8; ++i)
        all[i] = kStripes[i % 4];
    return all;
}

} // namespace

// 32-bit pixels with the fourth byte unused, colour masks in any order and of any width, an
// alpha mask, the 52- and 56-byte Windows headers, OS/2 2.x headers and run lengths.
TEST_F(BmpPngPages, BmpHeadersMasksAndRunLengthsShowTheirColours) {
    const auto masked = [](int bpp, std::array<std::uint32_t, 4> masks, bool lastClear = false) {
        return stripeRows(64, 16, [=](std::string& row, int i) {
            const Rgb& c = kStripes[static_cast<std::size_t>(i)];
            std::uint32_t pixel =
                toMask(c.r, masks[0]) | toMask(c.g, masks[1]) | toMask(c.b, masks[2]);
            if (masks[3] != 0 && !(lastClear && i == 3))
                pixel |= masks[3];
            put(row, pixel, bpp / 8);
        });
    };
    std::vector<std::array<Rgb, 8>> expected;
    const std::array<std::uint32_t, 4> rgbx{0xFF, 0xFF00, 0xFF0000, 0};
    const std::array<std::uint32_t, 4> deep{0xFFE00000, 0x1FFC00, 0x3FF, 0};
    const std::array<std::uint32_t, 4> alphaLast{0xFF000000, 0xFF0000, 0xFF00, 0xFF};
    const std::array<std::uint32_t, 4> bits565{0xF800, 0x07E0, 0x001F, 0};
    const std::array<std::uint32_t, 4> bits555{0x7C00, 0x03E0, 0x001F, 0};
    const std::array<std::uint32_t, 4> bits231{0x30, 0x0E, 0x01, 0};
    const std::array<std::uint32_t, 4> bits4444{0x0F00, 0x00F0, 0x000F, 0xF000};
    picture("zero-fourth-byte.bmp",
            bmpFile({.bpp = 32, .pixels = masked(32, {0xFF0000, 0xFF00, 0xFF, 0})}));
    expected.push_back(stripes());
    picture("rgbx.bmp",
            bmpFile({.bpp = 32, .compression = 3, .masks = rgbx, .pixels = masked(32, rgbx)}));
    expected.push_back(stripes());
    picture("11-11-10.bmp",
            bmpFile({.bpp = 32, .compression = 3, .masks = deep, .pixels = masked(32, deep)}));
    expected.push_back(stripes());
    picture("alpha-last.bmp", bmpFile({.headerSize = 124,
                                       .bpp = 32,
                                       .compression = 3,
                                       .masks = alphaLast,
                                       .pixels = masked(32, alphaLast, true)}));
    expected.push_back(stripes());
    expected.back()[3] = expected.back()[7] = kWhite;
    // Any width of mask, scaled to the full range (2-bit red 3 is 255, not 192), alpha too.
    for (const auto& [name, masks] : {std::pair{"565.bmp", bits565},
                                      {"555.bmp", bits555},
                                      {"231.bmp", bits231},
                                      {"4444.bmp", bits4444}}) {
        picture(name, bmpFile({.headerSize = masks[3] != 0 ? 124U : 40U,
                               .bpp = 16,
                               .compression = 3,
                               .masks = masks,
                               .pixels = masked(16, masks)}));
        std::array<Rgb, 8> shown{};
        for (std::size_t i = 0; i < 8; ++i) {
            const Rgb& c = kStripes[i % 4];
            shown[i] = {throughMask(c.r, masks[0]), throughMask(c.g, masks[1]),
                        throughMask(c.b, masks[2])};
        }
        expected.push_back(shown);
    }
    for (const std::uint32_t header : {52u, 56u, 64u}) {
        picture("header" + std::to_string(header) + ".bmp",
                bmpFile({.headerSize = header, .pixels = indexRows(64, 16)}));
        expected.push_back(stripes());
    }
    // Run lengths, bottom row first: one row of indices as they are, seven of runs, then
    // eight whose last stripe is left out (end of line, or a move past it).
    std::string rle8;
    rle8 += std::string("\0\x40", 2);
    for (int x = 0; x < 64; ++x)
        rle8.push_back(static_cast<char>(x / 16));
    rle8 += std::string("\0\0", 2);
    std::string rle4;
    for (int y = 1; y < 16; ++y) {
        for (int i = 0; i < (y < 8 ? 4 : 3); ++i) {
            rle8 += {'\x10', static_cast<char>(i)};
            rle4 += {'\x10', static_cast<char>(i << 4 | i)};
        }
        rle8 += std::string("\0\0", 2);
        rle4 += y < 8 ? std::string("\0\0", 2) : std::string("\0\x02\x10\0\0\0", 6);
    }
    rle4 = std::string("\x10\x00\x10\x11\x10\x22\x10\x33\0\0", 10) + rle4;
    picture("rle8.bmp", bmpFile({.compression = 1, .pixels = rle8 + std::string("\0\1", 2)}));
    picture("rle4.bmp",
            bmpFile({.bpp = 4, .compression = 2, .pixels = rle4 + std::string("\0\1", 2)}));
    // A full palette has no entry to spare for the pixels left out: they are white all the same.
    picture("rle8-256.bmp",
            bmpFile({.compression = 1, .colours = 256, .pixels = rle8 + std::string("\0\1", 2)}));
    for (int i = 0; i < 3; ++i) {
        expected.push_back(stripes());
        expected.back()[3] = kWhite; // top rows
    }

    for (const bool lossless : {false, true}) {
        SCOPED_TRACE(lossless ? "lossless" : "quality");
        expectStripes(convert(lossless), expected, lossless ? 1 : 12);
    }
}

// A BMP states its resolution in dots per metre, kept exactly; none (OS/2 1.x headers, zeros)
// and absurd ones give the usual 96 dpi.
TEST_F(BmpPngPages, BmpResolutionIsTheHeadersWhenSane) {
    const std::pair<Bmp, double> cases[] = {
        {{.headerSize = 12}, 24.0},
        {{.dotsPerMeter = 0}, 24.0},
        {{.dotsPerMeter = 1}, 24.0},
        {{.dotsPerMeter = 400000}, 24.0},
        {{.dotsPerMeter = 3780}, 32 * 72 / (3780 * 0.0254)},
        {{.dotsPerMeter = 394}, 32 * 72 / (394 * 0.0254)},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        Bmp bmp = cases[i].first;
        bmp.width = 32;
        bmp.pixels = indexRows(32, 16);
        picture(std::to_string(i) + ".bmp", bmpFile(bmp));
    }
    for (const bool lossless : {false, true}) {
        const std::string pdf = convert(lossless);
        for (std::size_t i = 0; i < std::size(cases); ++i) {
            const auto [width, height] = pageSize(pdf, static_cast<int>(i) + 1);
            EXPECT_NEAR(width, cases[i].second, 0.001) << i << (lossless ? " lossless" : "");
            EXPECT_NEAR(height, cases[i].second / 2, 0.001) << i << (lossless ? " lossless" : "");
        }
    }
}

// A BMP that cannot be read is named with the reason, in both modes.
TEST_F(BmpPngPages, UnreadableBmpsSayWhy) {
    const std::pair<Bmp, std::string> cases[] = {
        {{.bpp = 0, .compression = 4, .pixels = std::string(64, '\xFF')},
         "damaged (Not a JPEG file: starts with 0xff 0xff)"},
        {{.bpp = 24, .pixels = std::string(64 * 3 * 15, '\0')},
         "damaged BMP: the file ends before its pixels"},
        {{.bpp = 64, .pixels = std::string(64 * 8 * 16, '\0')}, "64-bit BMP is not supported"},
    };
    for (const auto& [bmp, reason] : cases) {
        const std::string path = picture("unreadable.bmp", bmpFile(bmp));
        for (const bool lossless : {false, true}) {
            jobfiles::JobOptions options;
            options.lossless = lossless;
            const staging::PictureStaging staged =
                staging::stagePicturePages(path, temp / "00000", options);
            EXPECT_EQ(staged.pages, 0) << reason;
            EXPECT_EQ(staged.problem, reason) << (lossless ? "lossless" : "quality");
        }
    }
}

// A BMP holding a JPEG or PNG picture in place of its pixels (compression 4 or 5, no bits a
// pixel) is that picture: the JPEG staged byte for byte, the PNG showing its colours, in both
// modes, and no copy of it left in the staging folder.
TEST_F(BmpPngPages, ABmpHoldingAJpegOrPngIsThatPicture) {
    const std::string jpegPath = temp / "inner.jpg";
    ASSERT_TRUE(pdftool::test::writeJpeg(jpegPath, {}));
    const std::string jpeg = test::readBytes(jpegPath);
    const std::string withJpeg = picture(
        "jpeg.bmp", bmpFile({.headerSize = 124, .bpp = 0, .compression = 4, .pixels = jpeg}));
    for (const bool lossless : {false, true}) {
        jobfiles::JobOptions options;
        options.lossless = lossless;
        const staging::PictureStaging staged =
            staging::stagePicturePages(withJpeg, temp / "00000", options);
        ASSERT_EQ(staged.pages, 1) << staged.problem;
        EXPECT_EQ(test::readBytes(staged.firstFile), jpeg);
        EXPECT_FALSE(std::filesystem::exists(temp / "00000_bmp.jpg"));
    }
    host.files.clear();
    const std::string pngPath = temp / "inner.png";
    ASSERT_TRUE(writePng(pngPath, {}));
    const std::string withPng = picture(
        "png.bmp",
        bmpFile(
            {.headerSize = 40, .bpp = 0, .compression = 5, .pixels = test::readBytes(pngPath)}));
    for (const bool lossless : {false, true}) {
        SCOPED_TRACE(lossless ? "lossless" : "quality");
        expectStripes(convert(lossless), {stripes()}, lossless ? 1 : 12);
    }

    // Once a job is stopped, neither picture is decoded, and the PNG's copy stages nothing.
    const std::atomic<bool> stopped{true};
    const pictures::StopFlag stop(stopped);
    for (const std::string& path : {withJpeg, withPng}) {
        std::string problem;
        EXPECT_EQ(staging::loadPicture(path, "bmp", problem, stop), nullptr) << path;
        EXPECT_EQ(problem, "") << path;
    }
    EXPECT_EQ(staging::stageForJob(withPng, temp / "00001", {}, nullptr, stop), "");
    for (const char* name : {"00001.png", "00001.jpg", "00001.tif", "00001_bmp.png"})
        EXPECT_FALSE(std::filesystem::exists(temp / name)) << name;
}

// Whichever reader a PNG takes (8-bit ones their own, others FreeImage), gAMA is ignored as
// the lossless pages, which copy the samples, ignore it; a palette's alpha (tRNS) stays when it
// comes before the palette.
TEST_F(BmpPngPages, PngPagesIgnoreGammaAndKeepAlphaBeforeThePalette) {
    std::vector<std::array<Rgb, 8>> expected;
    for (const Png& spec : {Png{.gamma = 1.0}, Png{.bitDepth = 16, .gamma = 1.0},
                            Png{.interlaced = true, .gamma = 1.0},
                            Png{.bitDepth = 4, .colourType = 3, .gamma = 1.0}}) {
        picture("gamma" + std::to_string(expected.size()) + ".png", spec);
        expected.push_back(stripes());
    }
    for (const Png& spec : {Png{.bitDepth = 4, .colourType = 3, .lastTransparent = true},
                            Png{.colourType = 3, .interlaced = true, .lastTransparent = true},
                            Png{.colourType = 3, .lastTransparent = true}}) {
        const std::string path = temp / "palette.png";
        ASSERT_TRUE(writePng(path, spec));
        picture("alpha" + std::to_string(expected.size()) + ".png",
                transparencyFirst(test::readBytes(path)));
        expected.push_back(stripes());
        expected.back()[3] = expected.back()[7] = kWhite;
    }
    for (const bool lossless : {false, true}) {
        SCOPED_TRACE(lossless ? "lossless" : "quality");
        expectStripes(convert(lossless), expected, lossless ? 1 : 12);
    }
}

// A resolution that gives only the shape of a pixel is read alike in every format: 40 x 30
// pixels at 72 by 36 give 30 x 45 points (the denser direction at 96 dpi) as a PNG (pHYs unit
// 0), a TIFF (ResolutionUnit 1) and a JPEG (JFIF unit 0), one that goes in as it is and one
// decoded again. An absurd resolution counts as none (96 dpi): 1 dot per metre in a PNG, 1 per
// inch in a JPEG, a shape of 1 by 100.
TEST_F(BmpPngPages, EveryFormatReadsAResolutionWithoutAUnitAlike) {
    picture("shape.png", Png{.width = 40, .height = 30, .physUnit = 0, .physX = 72, .physY = 36});
    test::TiffPage tiff{
        .width = 40, .height = 30, .xResolution = 72, .yResolution = 36, .resolutionUnit = 1};
    tiff.data.assign(40 * 30, '\x40');
    host.files.push_back(temp / "pics/shape.tif");
    ASSERT_TRUE(test::writeTiff(host.files.back(), {tiff}));
    for (const bool arithmetic : {false, true}) {
        host.files.push_back(temp / ("pics/shape" + std::to_string(arithmetic) + ".jpg"));
        ASSERT_TRUE(pdftool::test::writeJpeg(host.files.back(), {.width = 40,
                                                                 .height = 30,
                                                                 .arithmetic = arithmetic,
                                                                 .densityUnit = 0,
                                                                 .xDensity = 72,
                                                                 .yDensity = 36}));
    }
    picture("absurd.png", Png{.width = 40, .height = 30, .physUnit = 1, .physX = 1, .physY = 1});
    host.files.push_back(temp / "pics/absurd.jpg");
    ASSERT_TRUE(pdftool::test::writeJpeg(
        host.files.back(),
        {.width = 40, .height = 30, .densityUnit = 1, .xDensity = 1, .yDensity = 1}));
    picture("flat.png", Png{.width = 40, .height = 30, .physUnit = 0, .physX = 1, .physY = 100});
    for (const bool lossless : {false, true}) {
        const std::string pdf = convert(lossless);
        for (std::size_t i = 0; i < host.files.size(); ++i) {
            const auto [width, height] = pageSize(pdf, static_cast<int>(i) + 1);
            const bool shaped = i < 4;
            EXPECT_NEAR(width, 30.0, 0.02) << host.files[i] << (lossless ? " lossless" : "");
            EXPECT_NEAR(height, shaped ? 45.0 : 22.5, 0.02)
                << host.files[i] << (lossless ? " lossless" : "");
        }
    }
}

// pHYs in metres is kept exactly, whichever reader the PNG takes; unit 0 gives only the shape
// of a pixel: the denser direction gets 96 dpi.
TEST_F(BmpPngPages, PngResolutionIsExactAndAnAspectRatioKeepsItsShape) {
    const std::pair<Png, std::pair<double, double>> cases[] = {
        {{.physUnit = 1, .physX = 3780, .physY = 3780}, {32 * 72 / 96.012, 16 * 72 / 96.012}},
        {{.bitDepth = 16, .physUnit = 1, .physX = 3780, .physY = 3780},
         {32 * 72 / 96.012, 16 * 72 / 96.012}},
        {{.physUnit = 0, .physX = 1, .physY = 2}, {48, 12}},
        {{.bitDepth = 16, .physUnit = 0, .physX = 3, .physY = 1}, {24, 36}},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        Png spec = cases[i].first;
        spec.width = 32;
        picture(std::to_string(i) + ".png", spec);
    }
    for (const bool lossless : {false, true}) {
        const std::string pdf = convert(lossless);
        for (std::size_t i = 0; i < std::size(cases); ++i) {
            const auto [width, height] = pageSize(pdf, static_cast<int>(i) + 1);
            EXPECT_NEAR(width, cases[i].second.first, 0.001) << i << (lossless ? " lossless" : "");
            EXPECT_NEAR(height, cases[i].second.second, 0.001)
                << i << (lossless ? " lossless" : "");
        }
    }
}
