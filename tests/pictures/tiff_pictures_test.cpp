// TIFF pages of every sample kind, turned and sized as their tags say, written with libtiff and
// converted by the whole job at quality 100 and without loss, then rendered by mutool.
#include "command_output.h"
#include "job_fixture.h"
#include "staging/picture_pages.h"
#include "test_pictures.h"

#include <FreeImage.h>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>
#include <tiffio.h>
#include <tuple>

using namespace pw;
using test::TiffPage;

namespace {

struct Rgb {
    int r = 0;
    int g = 0;
    int b = 0;
};

// A page as mutool shows it at 72 dpi, one pixel a point without smoothing, top row first.
struct Shown {
    int width = 0;
    int height = 0;
    std::vector<Rgb> pixels;
};

std::vector<Shown> renderPages(const std::string& pdf, const std::string& scratch) {
    std::vector<Shown> pages;
    if (std::system(("mutool draw -q -r 72 -o '" + scratch + "%d.png' '" + pdf + "' 2>/dev/null")
                        .c_str()) != 0)
        return pages;
    for (int number = 1;; ++number) {
        const std::string png = scratch + std::to_string(number) + ".png";
        FIBITMAP* loaded = FreeImage_Load(FIF_PNG, png.c_str(), 0);
        if (loaded == nullptr)
            return pages;
        FIBITMAP* rgb = FreeImage_ConvertTo24Bits(loaded);
        FreeImage_Unload(loaded);
        Shown page;
        page.width = static_cast<int>(FreeImage_GetWidth(rgb));
        page.height = static_cast<int>(FreeImage_GetHeight(rgb));
        for (int y = page.height - 1; y >= 0; --y) {
            const BYTE* line = FreeImage_GetScanLine(rgb, y);
            for (int x = 0; x < page.width; ++x, line += 3)
                page.pixels.push_back({line[FI_RGBA_RED], line[FI_RGBA_GREEN], line[FI_RGBA_BLUE]});
        }
        FreeImage_Unload(rgb);
        pages.push_back(page);
    }
}

// Whether `page` is width x height and every pixel within `tolerance` of `want(x, y)`.
testing::AssertionResult looksLike(const Shown& page, int width, int height,
                                   const std::function<Rgb(int, int)>& want, int tolerance) {
    if (page.width != width || page.height != height)
        return testing::AssertionFailure()
               << "page of " << page.width << " x " << page.height << " pixels";
    int wrong = 0;
    std::string first;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Rgb got = page.pixels[static_cast<std::size_t>(y * width + x)];
            const Rgb expected = want(x, y);
            if (std::abs(got.r - expected.r) <= tolerance &&
                std::abs(got.g - expected.g) <= tolerance &&
                std::abs(got.b - expected.b) <= tolerance)
                continue;
            if (wrong++ == 0)
                first = std::to_string(x) + "," + std::to_string(y) + " is " +
                        std::to_string(got.r) + " " + std::to_string(got.g) + " " +
                        std::to_string(got.b) + ", not " + std::to_string(expected.r) + " " +
                        std::to_string(expected.g) + " " + std::to_string(expected.b);
        }
    }
    if (wrong == 0)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << wrong << " pixels wrong, first " << first;
}

constexpr int kWidth = 24;
constexpr int kHeight = 16;
// JPEG at quality 100 halves the colour resolution; without loss only rounding remains.
constexpr std::array<int, 2> kTolerance = {24, 2};

int eight(double level) {
    return static_cast<int>(std::lround(std::clamp(level, 0.0, 1.0) * 255.0));
}

// A kWidth x kHeight page at 72 dpi whose samples `sample(x, y, c)` are stored as T.
template <typename T>
TiffPage pageOf(int photometric, int samples, int format,
                const std::function<T(int, int, int)>& sample) {
    TiffPage page;
    page.width = kWidth;
    page.height = kHeight;
    page.photometric = photometric;
    page.bits = static_cast<int>(8 * sizeof(T));
    page.samples = samples;
    page.sampleFormat = format;
    page.xResolution = page.yResolution = 72;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            for (int c = 0; c < samples; ++c) {
                const T value = sample(x, y, c);
                page.data.append(reinterpret_cast<const char*>(&value), sizeof value);
            }
        }
    }
    return page;
}

// The same with samples of `bits` (1 to 16) packed high bit first.
TiffPage packedPage(int photometric, int samples, int bits,
                    const std::function<unsigned(int, int, int)>& sample) {
    TiffPage page = pageOf<std::uint8_t>(photometric, samples, SAMPLEFORMAT_UINT,
                                         [](int, int, int) { return std::uint8_t{0}; });
    std::vector<unsigned> values;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            for (int c = 0; c < samples; ++c)
                values.push_back(sample(x, y, c));
    page.bits = bits;
    page.data = test::packSamples(values, bits, static_cast<std::size_t>(kWidth * samples));
    return page;
}

// A colour map of 2^bits entries, entry i being `colour(i)` in 8 bits.
std::vector<std::uint16_t> colourMap(int bits, const std::function<Rgb(int)>& colour) {
    const int entries = 1 << bits;
    std::vector<std::uint16_t> map(static_cast<std::size_t>(3 * entries));
    for (int i = 0; i < entries; ++i) {
        const Rgb c = colour(i);
        map[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(c.r * 257);
        map[static_cast<std::size_t>(entries + i)] = static_cast<std::uint16_t>(c.g * 257);
        map[static_cast<std::size_t>(2 * entries + i)] = static_cast<std::uint16_t>(c.b * 257);
    }
    return map;
}

// A half-precision float of a value with at most 11 significant bits.
std::uint16_t half(double value) {
    if (value == 0.0)
        return 0;
    int exponent = 0;
    const double mantissa = std::frexp(value, &exponent); // 0.5 <= mantissa < 1
    return static_cast<std::uint16_t>((exponent + 14) << 10 |
                                      static_cast<int>((2.0 * mantissa - 1.0) * 1024.0));
}

double ramp(int at, int size) {
    return at / (size - 1.0);
}

// "W x H" in points of every page, as pdfinfo prints them.
std::vector<std::pair<double, double>> pageSizes(const std::string& pdf) {
    std::istringstream info(test::commandOutput("pdfinfo -f 1 -l 99 '" + pdf + "' 2>/dev/null"));
    std::vector<std::pair<double, double>> sizes;
    for (std::string row; std::getline(info, row);) {
        const auto at = row.find("size:");
        if (row.rfind("Page", 0) != 0 || at == std::string::npos)
            continue;
        std::istringstream size(row.substr(at + 5));
        double width = 0.0;
        double height = 0.0;
        std::string by;
        size >> width >> by >> height;
        sizes.emplace_back(width, height);
    }
    return sizes;
}

class TiffPictures : public test::JobFixture {
protected:
    struct Picture {
        std::string name;
        std::vector<TiffPage> pages;
        std::function<Rgb(int, int)> shown; // the first page as it should look
    };

    // Writes the pictures, converts them into one PDF at quality 100 and one without loss and
    // checks that page i looks like picture i's first page in both.
    void expectShownAsMeant(const std::vector<Picture>& pictures) {
        host.files.clear();
        for (const Picture& picture : pictures) {
            host.files.push_back(temp / ("pics/" + picture.name));
            ASSERT_TRUE(test::writeTiff(host.files.back(), picture.pages)) << picture.name;
        }
        for (const bool lossless : {false, true}) {
            const std::vector<Shown> pages = convert(lossless);
            ASSERT_EQ(pages.size(), pictures.size()) << "lossless " << lossless;
            for (std::size_t i = 0; i < pictures.size(); ++i)
                EXPECT_TRUE(
                    looksLike(pages[i], kWidth, kHeight, pictures[i].shown, kTolerance[lossless]))
                    << pictures[i].name << (lossless ? " without loss" : " at quality 100");
        }
    }

    // The page as libtiff's RGBA reader shows it.
    std::function<Rgb(int, int)> libtiffShown(const TiffPage& page) {
        const std::string path = temp / "reference.tif";
        std::vector<std::uint32_t> shown(std::size_t{page.width} * page.height);
        TIFF* tiff = test::writeTiff(path, {page}) ? TIFFOpen(path.c_str(), "r") : nullptr;
        EXPECT_NE(tiff, nullptr);
        if (tiff != nullptr) {
            EXPECT_EQ(TIFFReadRGBAImageOriented(tiff, page.width, page.height, shown.data(),
                                                ORIENTATION_TOPLEFT, 0),
                      1);
            TIFFClose(tiff);
        }
        return [shown, width = page.width](int x, int y) {
            const std::uint32_t pixel = shown[static_cast<std::size_t>(y) * width + x];
            return Rgb{static_cast<int>(TIFFGetR(pixel)), static_cast<int>(TIFFGetG(pixel)),
                       static_cast<int>(TIFFGetB(pixel))};
        };
    }

    // host.files in one PDF, at quality 100 or without loss, rendered page by page.
    std::vector<Shown> convert(bool lossless) {
        host.options = {};
        host.options.lossless = lossless;
        std::filesystem::remove_all(host.folder);
        prompts.messages.clear();
        run();
        EXPECT_TRUE(prompts.messages.empty()) << prompts.messages.front().text;
        return renderPages(out("NewPDF.pdf"), temp / (lossless ? "lossless" : "quality"));
    }
};

TEST_F(TiffPictures, EverySampleKindLooksAsItShouldInBothModes) {
    const auto gray = [](int level) { return Rgb{level, level, level}; };
    std::vector<Picture> pictures;
    // Floats are clamped to 0..1.
    pictures.push_back({"half.tif",
                        {pageOf<std::uint16_t>(PHOTOMETRIC_MINISBLACK, 1, SAMPLEFORMAT_IEEEFP,
                                               [](int x, int, int) { return half(x / 16.0); })},
                        [&](int x, int) { return gray(eight(x / 16.0)); }});
    const auto floatRgb = [](int x, int y, int c) {
        return c == 0 ? 1.5 * ramp(x, kWidth) - 0.25 : c == 1 ? ramp(y, kHeight) : 0.5;
    };
    pictures.push_back({"float.tif",
                        {pageOf<float>(PHOTOMETRIC_RGB, 3, SAMPLEFORMAT_IEEEFP,
                                       [&](int x, int y, int c) {
                                           return static_cast<float>(floatRgb(x, y, c));
                                       })},
                        [&](int x, int y) {
                            return Rgb{eight(floatRgb(x, y, 0)), eight(floatRgb(x, y, 1)), 128};
                        }});
    // Signed 8-bit samples as their stored bytes, as libtiff's own reader (and ImageMagick and
    // Pillow) shows them: 0 black, 127 half way, -1 white. Signed 16-bit ones start at -32768,
    // black, as ImageMagick shows them.
    const TiffPage signed8 =
        pageOf<std::int8_t>(PHOTOMETRIC_MINISBLACK, 1, SAMPLEFORMAT_INT,
                            [](int x, int, int) { return static_cast<std::int8_t>(x * 11 - 128); });
    pictures.push_back({"signed8.tif", {signed8}, libtiffShown(signed8)});
    pictures.push_back({"signed16.tif",
                        {pageOf<std::int16_t>(PHOTOMETRIC_MINISBLACK, 1, SAMPLEFORMAT_INT,
                                              [](int x, int, int) {
                                                  return static_cast<std::int16_t>(x * 2800 -
                                                                                   32768);
                                              })},
                        [&](int x, int) { return gray(eight(x * 2800 / 65535.0)); }});
    // Premultiplied 16-bit alpha over white.
    const auto colour = [](int x, int y, int c) {
        const double straight[] = {0.8, 0.2, ramp(y, kHeight)};
        return c == 3 ? ramp(x, kWidth) : straight[c];
    };
    TiffPage premultiplied =
        pageOf<std::uint16_t>(PHOTOMETRIC_RGB, 4, SAMPLEFORMAT_UINT, [&](int x, int y, int c) {
            const double alpha = colour(x, y, 3);
            return static_cast<std::uint16_t>(
                std::lround(65535.0 * (c == 3 ? alpha : colour(x, y, c) * alpha)));
        });
    premultiplied.extraSample = EXTRASAMPLE_ASSOCALPHA;
    pictures.push_back({"premultiplied.tif", {premultiplied}, [&](int x, int y) {
                            const double alpha = colour(x, y, 3);
                            const auto over = [&](int c) {
                                return eight(colour(x, y, c) * alpha + 1.0 - alpha);
                            };
                            return Rgb{over(0), over(1), over(2)};
                        }});
    // 2- and 4-bit gray (one of them min-is-white) and palette pages.
    const auto level = [](int x, int bits) { return x * ((1 << bits) - 1) / (kWidth - 1); };
    pictures.push_back(
        {"gray2.tif",
         {packedPage(PHOTOMETRIC_MINISBLACK, 1, 2, [&](int x, int, int) { return level(x, 2); })},
         [&](int x, int) { return gray(level(x, 2) * 85); }});
    pictures.push_back(
        {"white4.tif",
         {packedPage(PHOTOMETRIC_MINISWHITE, 1, 4, [&](int x, int, int) { return level(x, 4); })},
         [&](int x, int) { return gray(255 - level(x, 4) * 17); }});
    const auto entry = [](int i) { return Rgb{i * 17, 100, 255 - i * 17}; };
    for (const int bits : {2, 4}) {
        TiffPage palette = packedPage(PHOTOMETRIC_PALETTE, 1, bits,
                                      [&](int x, int, int) { return level(x, bits); });
        palette.colourMap = colourMap(bits, entry);
        pictures.push_back({"palette" + std::to_string(bits) + ".tif",
                            {palette},
                            [&, bits](int x, int) { return entry(level(x, bits)); }});
    }
    // Tiles of 16 x 16 pixels, one plane a sample.
    const auto tiled = [](int x, int y) { return Rgb{x * 10, y * 15, 200 - x * 5}; };
    TiffPage planar =
        pageOf<std::uint8_t>(PHOTOMETRIC_RGB, 3, SAMPLEFORMAT_UINT, [&](int x, int y, int c) {
            const Rgb shown = tiled(x, y);
            return static_cast<std::uint8_t>(c == 0 ? shown.r : c == 1 ? shown.g : shown.b);
        });
    planar.planar = true;
    planar.tile = 16;
    pictures.push_back({"tiled.tif", {planar}, tiled});
    // 12-bit gray and RGB.
    const auto twelve = [](int x, int y, int c) {
        return static_cast<unsigned>(c == 0 ? x * 178 : c == 1 ? y * 273 : 2048);
    };
    const auto twelveShown = [&](int x, int y, int c) { return eight(twelve(x, y, c) / 4095.0); };
    pictures.push_back({"gray12.tif",
                        {packedPage(PHOTOMETRIC_MINISBLACK, 1, 12, twelve)},
                        [&](int x, int y) { return gray(twelveShown(x, y, 0)); }});
    pictures.push_back(
        {"rgb12.tif", {packedPage(PHOTOMETRIC_RGB, 3, 12, twelve)}, [&](int x, int y) {
             return Rgb{twelveShown(x, y, 0), twelveShown(x, y, 1), twelveShown(x, y, 2)};
         }});
    // LogLuv light levels as libtiff maps them to colours.
    TiffPage logLuv =
        pageOf<float>(PHOTOMETRIC_LOGLUV, 3, SAMPLEFORMAT_IEEEFP, [](int x, int, int c) {
            const double white[] = {0.9505, 1.0, 1.089};
            return static_cast<float>(0.8 * ramp(x, kWidth) * white[c]);
        });
    logLuv.compression = COMPRESSION_SGILOG;
    pictures.push_back({"logluv.tif", {logLuv}, libtiffShown(logLuv)});
    expectShownAsMeant(pictures);
}

// CIE L*a*b* pages, 8-bit CIELab in LZW strips and 16-bit ICCLab, turned into sRGB: above, the
// published D50 L*a*b* values of white and the sRGB primaries, which must come back as white
// and the primaries; below, neutral grays from L* 0 to 100, which must stay gray at the sRGB
// level of their lightness (white no cream).
TEST_F(TiffPictures, LabPagesShowTheirColoursInSrgb) {
    const double primaries[4][3] = {
        {100.0, 0.0, 0.0}, {54.29, 80.80, 69.89}, {87.82, -79.29, 80.99}, {29.57, 68.30, -112.03}};
    const Rgb shown[4] = {{255, 255, 255}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    const auto lab = [&](int x, int y, int c) {
        if (y < kHeight / 2)
            return primaries[x / 6][c];
        return c == 0 ? 100.0 * ramp(x, kWidth) : 0.0;
    };
    const auto gray = [&](int x) {
        const double lightness = 100.0 * ramp(x, kWidth);
        const double luminance =
            lightness > 8.0 ? std::pow((lightness + 16.0) / 116.0, 3.0) : lightness / 903.3;
        const double level = luminance <= 0.0031308 ? 12.92 * luminance
                                                    : 1.055 * std::pow(luminance, 1 / 2.4) - 0.055;
        const int value = eight(level);
        return Rgb{value, value, value};
    };
    TiffPage cieLab =
        pageOf<std::uint8_t>(PHOTOMETRIC_CIELAB, 3, SAMPLEFORMAT_UINT, [&](int x, int y, int c) {
            const double value = lab(x, y, c);
            return static_cast<std::uint8_t>(c == 0 ? std::lround(value * 2.55)
                                                    : std::lround(std::max(value, -128.0)));
        });
    cieLab.compression = COMPRESSION_LZW;
    TiffPage iccLab =
        pageOf<std::uint16_t>(PHOTOMETRIC_ICCLAB, 3, SAMPLEFORMAT_UINT, [&](int x, int y, int c) {
            const double value = lab(x, y, c);
            return static_cast<std::uint16_t>(
                std::lround(c == 0 ? value * 655.35 : value * 256.0 + 32768.0));
        });
    host.files = {temp / "pics/cielab.tif", temp / "pics/icclab.tif"};
    ASSERT_TRUE(test::writeTiff(host.files[0], {cieLab}));
    ASSERT_TRUE(test::writeTiff(host.files[1], {iccLab}));
    for (const bool lossless : {false, true}) {
        const std::vector<Shown> pages = convert(lossless);
        ASSERT_EQ(pages.size(), 2U);
        for (std::size_t i = 0; i < 2; ++i) {
            EXPECT_TRUE(looksLike(
                pages[i], kWidth, kHeight,
                [&](int x, int y) { return y < kHeight / 2 ? shown[x / 6] : gray(x); },
                lossless ? 12 : 24))
                << host.files[i] << (lossless ? " without loss" : " at quality 100");
            // White exactly white without loss, within JPEG's rounding at a quality.
            for (int y = 1; y < kHeight / 2 - 1; ++y)
                for (int x = 1; x < 5; ++x) {
                    const Rgb white = pages[i].pixels[static_cast<std::size_t>(y * kWidth + x)];
                    EXPECT_GE(std::min({white.r, white.g, white.b}), lossless ? 255 : 253)
                        << host.files[i] << " at " << x << "," << y;
                }
        }
    }
}

// Pillow leaves out SamplesPerPixel on palette pages, which FreeImage took for an alpha sample.
TEST_F(TiffPictures, PalettePagesGetNoTransparencyTheFileDoesNotHave) {
    const Rgb colours[] = {{0, 128, 0}, {255, 0, 0}, {20, 40, 200}};
    std::vector<TiffPage> pages;
    for (const Rgb& colour : colours) {
        TiffPage page = packedPage(PHOTOMETRIC_PALETTE, 1, 8, [](int, int, int) { return 1U; });
        page.colourMap = colourMap(8, [&](int i) { return i == 1 ? colour : Rgb{}; });
        pages.push_back(page);
    }
    const std::string path = temp / "pics/pillow.tif";
    ASSERT_TRUE(test::writeTiff(path, pages));
    host.files = {path};
    for (const bool lossless : {false, true}) {
        const std::vector<Shown> shown = convert(lossless);
        ASSERT_EQ(shown.size(), 3U);
        for (std::size_t page = 0; page < 3; ++page)
            EXPECT_TRUE(looksLike(
                shown[page], kWidth, kHeight, [&](int, int) { return colours[page]; },
                kTolerance[lossless]))
                << "page " << page + 1 << (lossless ? " without loss" : " at quality 100");
    }
    const std::string images = test::commandOutput("pdfimages -list '" + out("NewPDF.pdf") + "'");
    EXPECT_EQ(images.find("smask"), std::string::npos) << images;
}

TEST_F(TiffPictures, PagesAreTurnedAndMirroredAsTheirOrientationSays) {
    // Red grows along the stored rows, green down the stored columns.
    const auto stored = [](int x, int y) { return Rgb{x * 11, y * 17, 90}; };
    // Where shown pixel (x, y) of a page of orientation `o` is stored.
    const auto storedAt = [](int o, int x, int y) {
        const int w = kWidth - 1;
        const int h = kHeight - 1;
        switch (o) {
        case 2:
            return std::pair{w - x, y};
        case 3:
            return std::pair{w - x, h - y};
        case 4:
            return std::pair{x, h - y};
        case 5:
            return std::pair{y, x};
        case 6:
            return std::pair{y, h - x};
        case 7:
            return std::pair{w - y, h - x};
        case 8:
            return std::pair{w - y, x};
        default:
            return std::pair{x, y};
        }
    };
    std::vector<TiffPage> pages;
    std::vector<std::pair<int, std::function<Rgb(int, int)>>> meant; // orientation, stored look
    for (int orientation = 8; orientation >= 1; --orientation) {
        TiffPage page =
            pageOf<std::uint8_t>(PHOTOMETRIC_RGB, 3, SAMPLEFORMAT_UINT, [&](int x, int y, int c) {
                const Rgb colour = stored(x, y);
                return static_cast<std::uint8_t>(c == 0 ? colour.r : c == 1 ? colour.g : colour.b);
            });
        page.orientation = orientation;
        pages.push_back(page);
        meant.emplace_back(orientation, stored);
    }
    // A 4-bit palette page keeps its depth without loss; CMYK goes through libtiff's RGBA reader.
    const auto entry = [](int i) { return Rgb{i * 17, 255 - i * 17, 60}; };
    TiffPage palette = packedPage(PHOTOMETRIC_PALETTE, 1, 4, [](int x, int y, int) {
        return static_cast<unsigned>((x + y) / 3 % 16);
    });
    palette.colourMap = colourMap(4, entry);
    palette.orientation = 6;
    pages.push_back(palette);
    meant.emplace_back(6, [&](int x, int y) { return entry((x + y) / 3 % 16); });
    TiffPage cmyk =
        pageOf<std::uint8_t>(PHOTOMETRIC_SEPARATED, 4, SAMPLEFORMAT_UINT, [&](int x, int y, int c) {
            const Rgb colour = stored(x, y);
            return static_cast<std::uint8_t>(c == 3 ? 0
                                                    : 255 - (c == 0   ? colour.r
                                                             : c == 1 ? colour.g
                                                                      : colour.b));
        });
    cmyk.orientation = 7;
    pages.push_back(cmyk);
    meant.emplace_back(7, stored);
    const std::string path = temp / "pics/turned.tif";
    ASSERT_TRUE(test::writeTiff(path, pages));
    host.files = {path};
    for (const bool lossless : {false, true}) {
        const std::vector<Shown> shown = convert(lossless);
        ASSERT_EQ(shown.size(), meant.size());
        for (std::size_t i = 0; i < meant.size(); ++i) {
            const auto& [orientation, look] = meant[i];
            const bool turned = orientation >= 5;
            EXPECT_TRUE(looksLike(
                shown[i], turned ? kHeight : kWidth, turned ? kWidth : kHeight,
                [&](int x, int y) {
                    const auto [storedX, storedY] = storedAt(orientation, x, y);
                    return look(storedX, storedY);
                },
                kTolerance[lossless]))
                << "page " << i + 1 << (lossless ? " without loss" : " at quality 100");
        }
    }
}

// XResolution 2 and YResolution 1 without a unit: pixels twice as tall as wide, the denser
// direction at 96 dpi, on every reader's path (a turned page, a Group 4 page copied as it is).
// An absurd resolution counts as none: 1 by 1 in inches (also when the unit, whose default is
// the inch, is not given), or a shape of 1 by 1000.
TEST_F(TiffPictures, AResolutionWithoutAUnitGivesTheAspectRatioAt96Dpi) {
    TiffPage page;
    page.width = 256;
    page.height = 200;
    page.data.assign(256 * 200, '\x80');
    page.xResolution = 2;
    page.yResolution = 1;
    page.resolutionUnit = RESUNIT_NONE;
    TiffPage turned = page;
    turned.orientation = 6;
    TiffPage fax = page;
    fax.bits = 1;
    fax.photometric = PHOTOMETRIC_MINISWHITE;
    fax.compression = COMPRESSION_CCITTFAX4;
    fax.data.assign(256 / 8 * 200, '\x0F');
    std::vector<TiffPage> pages = {page, page, turned, fax};
    for (const auto& [x, y, unit] :
         {std::tuple{1.0F, 1.0F, 0}, {1.0F, 1.0F, RESUNIT_INCH}, {1.0F, 1000.0F, RESUNIT_NONE}}) {
        pages.push_back(page);
        pages.back().xResolution = x;
        pages.back().yResolution = y;
        pages.back().resolutionUnit = unit;
    }
    const std::string path = temp / "pics/aspect.tif";
    ASSERT_TRUE(test::writeTiff(path, pages));
    host.files = {path};
    // 256 pixels at 96 dpi by 200 at 48 dpi; 96 dpi both ways for the absurd ones.
    const std::vector<std::pair<double, double>> meant = {
        {192.0, 300.0}, {192.0, 300.0}, {300.0, 192.0}, {192.0, 300.0},
        {192.0, 150.0}, {192.0, 150.0}, {192.0, 150.0}};
    for (const bool lossless : {false, true}) {
        host.options = {};
        host.options.lossless = lossless;
        std::filesystem::remove_all(host.folder);
        run();
        const std::vector<std::pair<double, double>> sizes = pageSizes(out("NewPDF.pdf"));
        ASSERT_EQ(sizes.size(), meant.size());
        for (std::size_t i = 0; i < meant.size(); ++i) {
            EXPECT_NEAR(sizes[i].first, meant[i].first, 0.05)
                << "page " << i + 1 << " lossless " << lossless;
            EXPECT_NEAR(sizes[i].second, meant[i].second, 0.05)
                << "page " << i + 1 << " lossless " << lossless;
        }
    }
}

// A kind no reader here knows is refused alike in both modes, saying why.
TEST(TiffPictureKinds, UnreadableSamplesAreRefusedWithTheReasonInBothModes) {
    test::TempFolder temp;
    TiffPage page;
    page.width = 4;
    page.height = 2;
    page.bits = 24;
    page.sampleFormat = SAMPLEFORMAT_IEEEFP;
    page.data.assign(4 * 2 * 3, '\x3f');
    ASSERT_TRUE(test::writeTiff(temp / "float24.tif", {page}));
    std::string reasons[2];
    for (const bool lossless : {false, true}) {
        jobfiles::JobOptions options;
        options.lossless = lossless;
        const staging::PictureStaging staging =
            staging::stagePicturePages(temp / "float24.tif", temp / "staged", options);
        EXPECT_EQ(staging.pages, 0);
        reasons[lossless] = staging.problem;
    }
    EXPECT_NE(reasons[0].find("24-bit"), std::string::npos) << reasons[0];
    EXPECT_EQ(reasons[0], reasons[1]);
}

} // namespace
