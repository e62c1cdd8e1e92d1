// HEIF/HEIC, AVIF, WebP and JPEG XL pictures, multi-page TIFFs and GIF screens, made by the
// encoders Debian ships or by hand, through the whole job and the builder.
#include "command_output.h"
#include "counting_pump.h"
#include "fake_job_host.h"
#include "fake_prompts.h"
#include "job/ConversionJob.h"
#include "job_fixture.h"
#include "job_staging.h"
#include "jobfiles/job_options.h"
#include "jpeg_maker.h"
#include "pictures/file_bytes.h"
#include "pictures/picture_size_check.h"
#include "pictures/tiff_pages.h"
#include "platform/paths.h"
#include "staging/lossless_staging.h"
#include "staging/picture_pages.h"
#include "staging/picture_staging.h"
#include "temp_folder.h"
#include "test_pictures.h"

#include <FreeImage.h>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <libheif/heif.h>
#include <sstream>
#include <tiffio.h>

namespace fs = std::filesystem;
using namespace pw;
using pw::test::pageCount;

namespace {

struct Rgb {
    int r, g, b;
};
constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kGreen{0, 255, 0};
constexpr Rgb kBlue{0, 0, 255};
constexpr Rgb kWhite{255, 255, 255};

bool shell(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

// A width x height picture: the left quarter `left`, the rest `right`.
FIBITMAP* twoColours(int width, int height, Rgb left, Rgb right) {
    FIBITMAP* bitmap = FreeImage_Allocate(width, height, 24);
    for (int y = 0; y < height; ++y) {
        BYTE* line = FreeImage_GetScanLine(bitmap, y);
        for (int x = 0; x < width; ++x) {
            const Rgb c = x < width / 4 ? left : right;
            line[3 * x + FI_RGBA_RED] = static_cast<BYTE>(c.r);
            line[3 * x + FI_RGBA_GREEN] = static_cast<BYTE>(c.g);
            line[3 * x + FI_RGBA_BLUE] = static_cast<BYTE>(c.b);
        }
    }
    return bitmap;
}

bool saveTwoColours(const std::string& path, int format, Rgb left = kBlue, Rgb right = kRed) {
    FIBITMAP* bitmap = twoColours(64, 32, left, right);
    const bool saved = FreeImage_Save(static_cast<FREE_IMAGE_FORMAT>(format), bitmap, path.c_str(),
                                      format == FIF_JPEG ? 95 : 0) != 0;
    FreeImage_Unload(bitmap);
    return saved;
}

// A HEIC whose picture is stored as drawn and shown turned a quarter clockwise (irot).
bool writeTurnedHeic(const std::string& path) {
    heif_context* context = heif_context_alloc();
    heif_encoder* encoder = nullptr;
    heif_image* image = nullptr;
    bool ok =
        heif_context_get_encoder_for_format(context, heif_compression_HEVC, &encoder).code ==
            heif_error_Ok &&
        heif_image_create(64, 32, heif_colorspace_RGB, heif_chroma_interleaved_RGB, &image).code ==
            heif_error_Ok &&
        heif_image_add_plane(image, heif_channel_interleaved, 64, 32, 8).code == heif_error_Ok;
    if (ok) {
        int stride = 0;
        std::uint8_t* plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 64; ++x) {
                std::uint8_t* p = plane + y * stride + 3 * x;
                const Rgb c = x < 16 ? kBlue : kRed;
                p[0] = static_cast<std::uint8_t>(c.r);
                p[1] = static_cast<std::uint8_t>(c.g);
                p[2] = static_cast<std::uint8_t>(c.b);
            }
        }
        heif_encoder_set_lossy_quality(encoder, 90);
        heif_encoding_options* options = heif_encoding_options_alloc();
        options->image_orientation = heif_orientation_rotate_90_cw;
        ok = heif_context_encode_image(context, image, encoder, options, nullptr).code ==
                 heif_error_Ok &&
             heif_context_write_to_file(context, path.c_str()).code == heif_error_Ok;
        heif_encoding_options_free(options);
    }
    if (image != nullptr)
        heif_image_release(image);
    if (encoder != nullptr)
        heif_encoder_release(encoder);
    heif_context_free(context);
    return ok;
}

// A syntactically plausible RGB display profile of 600 bytes.
std::string fakeRgbProfile() {
    std::string profile(600, '\0');
    profile[2] = 0x02;
    profile[3] = 0x58;
    profile.replace(12, 8, "mntrRGB ");
    profile.replace(20, 4, "XYZ ");
    profile.replace(36, 4, "acsp");
    for (std::size_t i = 128; i < profile.size(); ++i)
        profile[i] = static_cast<char>(i * 7);
    return profile;
}

struct Page {
    int width = 0;
    int height = 0;
    FIBITMAP* bitmap = nullptr;
};

// Page `page` of the PDF rendered at 96 dpi, where a picture without a resolution shows one
// pixel per pixel.
Page render(const std::string& pdf, int page, const std::string& scratch) {
    Page result;
    const std::string number = std::to_string(page);
    if (!shell("pdftoppm -r 96 -singlefile -f " + number + " -l " + number + " '" + pdf + "' '" +
               scratch + "'"))
        return result;
    result.bitmap = FreeImage_Load(FIF_PPMRAW, (scratch + ".ppm").c_str(), 0);
    if (result.bitmap != nullptr) {
        result.width = static_cast<int>(FreeImage_GetWidth(result.bitmap));
        result.height = static_cast<int>(FreeImage_GetHeight(result.bitmap));
    }
    return result;
}

// Whether the shown pixel (x, y), counted from the top, is near `want` (lossy encoders).
testing::AssertionResult near(const Page& page, int x, int y, Rgb want) {
    RGBQUAD got{};
    if (page.bitmap == nullptr ||
        !FreeImage_GetPixelColor(page.bitmap, x, page.height - 1 - y, &got))
        return testing::AssertionFailure() << "no pixel at " << x << "," << y;
    if (std::abs(got.rgbRed - want.r) > 48 || std::abs(got.rgbGreen - want.g) > 48 ||
        std::abs(got.rgbBlue - want.b) > 48)
        return testing::AssertionFailure() << "pixel " << x << "," << y << " is " << int(got.rgbRed)
                                           << "," << int(got.rgbGreen) << "," << int(got.rgbBlue);
    return testing::AssertionSuccess();
}

// A 48 x 32 picture of 8 x 8 cells, each of its own colour.
bool saveCells(const std::string& path) {
    FIBITMAP* bitmap = FreeImage_Allocate(48, 32, 24);
    for (int y = 0; y < 32; ++y) {
        BYTE* line = FreeImage_GetScanLine(bitmap, 31 - y);
        for (int x = 0; x < 48; ++x) {
            const int cell = y / 8 * 6 + x / 8;
            line[3 * x + FI_RGBA_RED] = static_cast<BYTE>(cell % 3 * 120);
            line[3 * x + FI_RGBA_GREEN] = static_cast<BYTE>(cell / 3 % 3 * 120);
            line[3 * x + FI_RGBA_BLUE] = static_cast<BYTE>(cell / 9 * 120);
        }
    }
    const bool saved = FreeImage_Save(FIF_PNG, bitmap, path.c_str(), 0) != 0;
    FreeImage_Unload(bitmap);
    return saved;
}

// The same HEIF file with its meta box moved behind the media data (its old place left as
// 'free' space, so the data keeps its offsets) and given a pyramid's entity group, whose box
// carries fields of its own after the entity IDs.
std::string withPyramidGroup(const std::string& file) {
    const auto size = [&](std::size_t at) {
        return static_cast<std::size_t>(static_cast<unsigned char>(file[at]) << 24 |
                                        static_cast<unsigned char>(file[at + 1]) << 16 |
                                        static_cast<unsigned char>(file[at + 2]) << 8 |
                                        static_cast<unsigned char>(file[at + 3]));
    };
    const auto box = [](const std::string& type, const std::string& payload) {
        const std::size_t length = 8 + payload.size();
        std::string bytes{static_cast<char>(length >> 24), static_cast<char>(length >> 16),
                          static_cast<char>(length >> 8), static_cast<char>(length)};
        return bytes + type + payload;
    };
    std::string moved;
    std::string meta;
    for (std::size_t at = 0; at + 8 <= file.size(); at += size(at)) {
        if (size(at) < 8)
            return {};
        if (file.compare(at + 4, 4, "meta") == 0) {
            meta = file.substr(at, size(at));
            moved += box("free", std::string(meta.size() - 8, '\0'));
        } else {
            moved += file.substr(at, size(at));
        }
    }
    // Group 2 of one entity, item 1; tile size 256 x 256; the layer's binning and tile counts.
    const std::string group("\0\0\0\0\0\0\0\x02\0\0\0\x01\0\0\0\x01"
                            "\x01\0\x01\0\0\x01\0\0\0\0",
                            26);
    if (meta.empty())
        return {};
    const std::string grown = box("meta", meta.substr(8)) + box("grpl", box("pymd", group));
    return moved + box("meta", grown.substr(8));
}

// The same HEIF file with each item's properties listed in its ipma box in reverse order, so
// that mirroring comes before rotation and the clean aperture last.
std::string withAssociationsReversed(std::string file) {
    const std::size_t type = file.find("ipma");
    if (type == std::string::npos || type + 12 > file.size())
        return {};
    const auto byte = [&file](std::size_t at) { return static_cast<unsigned char>(file[at]); };
    const bool wideItems = byte(type + 4) >= 1;
    const std::size_t indexBytes = (byte(type + 7) & 1) != 0 ? 2 : 1;
    const std::size_t entries = std::size_t{byte(type + 8)} << 24 |
                                std::size_t{byte(type + 9)} << 16 |
                                std::size_t{byte(type + 10)} << 8 | byte(type + 11);
    std::size_t at = type + 12;
    for (std::size_t entry = 0; entry < entries && at < file.size(); ++entry) {
        at += wideItems ? 4 : 2;
        const std::size_t count = byte(at++);
        std::vector<std::string> indices;
        for (std::size_t i = 0; i < count; ++i)
            indices.push_back(file.substr(at + i * indexBytes, indexBytes));
        for (std::size_t i = 0; i < count; ++i)
            file.replace(at + i * indexBytes, indexBytes, indices[count - 1 - i]);
        at += count * indexBytes;
    }
    return file;
}

// Page `page` of the PDF drawn by mutool at 96 dpi, one pixel a pixel without smoothing.
FIBITMAP* renderExactly(const std::string& pdf, int page, const std::string& png) {
    if (!shell("mutool draw -q -r 96 -o '" + png + "' '" + pdf + "' " + std::to_string(page)))
        return nullptr;
    return FreeImage_Load(FIF_PNG, png.c_str(), 0);
}

// How far apart two pictures of the same size are at worst, in any sample; -1 when their
// sizes differ.
int largestDifference(FIBITMAP* got, FIBITMAP* want) {
    const unsigned width = FreeImage_GetWidth(want);
    const unsigned height = FreeImage_GetHeight(want);
    if (got == nullptr || FreeImage_GetWidth(got) != width || FreeImage_GetHeight(got) != height)
        return -1;
    int largest = 0;
    for (unsigned y = 0; y < height; ++y) {
        for (unsigned x = 0; x < width; ++x) {
            RGBQUAD a{};
            RGBQUAD b{};
            FreeImage_GetPixelColor(got, x, y, &a);
            FreeImage_GetPixelColor(want, x, y, &b);
            largest =
                std::max({largest, std::abs(a.rgbRed - b.rgbRed), std::abs(a.rgbGreen - b.rgbGreen),
                          std::abs(a.rgbBlue - b.rgbBlue)});
        }
    }
    return largest;
}

// Page `page` of the PDF, drawn as renderExactly draws it, is `reference` within `tolerance`
// in every sample.
void expectPageLike(const std::string& pdf, int page, FIBITMAP* reference, int tolerance,
                    const std::string& shownPng, bool lossless) {
    FIBITMAP* shown = renderExactly(pdf, page, shownPng);
    const int difference = largestDifference(shown, reference);
    EXPECT_GE(difference, 0) << "another size, lossless " << lossless;
    EXPECT_LE(difference, tolerance) << "lossless " << lossless;
    if (shown != nullptr)
        FreeImage_Unload(shown);
}

// "W x H" in points of a page, as pdfinfo prints it.
std::string pageSize(const std::string& pdf, int number) {
    const std::string n = std::to_string(number);
    std::istringstream info(
        test::commandOutput("pdfinfo -f " + n + " -l " + n + " '" + pdf + "' 2>/dev/null"));
    std::string text;
    for (std::string row; std::getline(info, row);) {
        const auto at = row.find("size:");
        if (row.rfind("Page", 0) == 0 && at != std::string::npos) {
            const auto from = row.find_first_not_of(' ', at + 5);
            text = row.substr(from, row.find(" pts") - from);
        }
    }
    return text;
}

// Bytes that no format starts with, the same in every run.
std::string noise(std::size_t size) {
    std::string bytes(size, '\0');
    std::uint32_t state = 12345;
    for (char& c : bytes) {
        state = state * 1103515245U + 12345U;
        c = static_cast<char>(state >> 24);
    }
    return bytes;
}

std::string bigEndian32(std::uint32_t value) {
    return {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
            static_cast<char>(value >> 8), static_cast<char>(value)};
}

std::string box(const std::string& type, const std::string& body) {
    return bigEndian32(static_cast<std::uint32_t>(body.size() + 8)) + type + body;
}

// A box with version and flags (both 0 unless given).
std::string fullBox(const std::string& type, const std::string& body, char version = 0) {
    return box(type, std::string(1, version) + std::string(3, '\0') + body);
}

// A 2 x 2 HEIF whose primary image is stored uncompressed (an "unci" item).
std::string uncompressedHeif() {
    const std::string pixels(12, '\x80');
    const std::string items = fullBox(
        "iinf", std::string("\0\1", 2) +
                    fullBox("infe", std::string("\0\1\0\0", 4) + "unci" + std::string(1, '\0'), 2));
    const std::string properties =
        box("iprp", box("ipco", fullBox("ispe", bigEndian32(2) + bigEndian32(2))) +
                        fullBox("ipma", bigEndian32(1) + std::string("\0\1\1\x81", 4)));
    const auto meta = [&](std::uint32_t offset) {
        return fullBox("meta",
                       fullBox("hdlr", bigEndian32(0) + "pict" + std::string(13, '\0')) +
                           fullBox("pitm", std::string("\0\1", 2)) +
                           fullBox("iloc", std::string("\x44\0\0\1\0\1\0\0\0\1", 10) +
                                               bigEndian32(offset) + bigEndian32(pixels.size())) +
                           items + properties);
    };
    const std::string type = box("ftyp", "mif1" + bigEndian32(0) + "mif1heic");
    const auto offset = static_cast<std::uint32_t>(type.size() + meta(0).size() + 8);
    return type + meta(offset) + box("mdat", pixels);
}

class ModernPictures : public test::JobFixture {
protected:
    void SetUp() override {
        JobFixture::SetUp();
        ASSERT_TRUE(saveTwoColours(source, FIF_PNG));
    }
    void TearDown() override {
        JobFixture::TearDown();
        for (Page& page : pages)
            FreeImage_Unload(page.bitmap);
    }
    std::string pic(const std::string& name) const { return temp / ("pics/" + name); }
    const Page& page(const std::string& pdf, int number) {
        pages.push_back(render(pdf, number, temp / ("page" + std::to_string(pages.size()))));
        return pages.back();
    }
    // A three-page TIFF, red, green and blue on the right; page `damaged` (0 = none) unreadable.
    std::string threePageTiff(const std::string& name, int damaged = 0) {
        const std::string path = pic(name);
        FIMULTIBITMAP* tiff = FreeImage_OpenMultiBitmap(FIF_TIFF, path.c_str(), TRUE, FALSE);
        EXPECT_NE(tiff, nullptr);
        for (const Rgb right : {kRed, kGreen, kBlue}) {
            FIBITMAP* bitmap = twoColours(64, 32, kBlue, right);
            FreeImage_AppendPage(tiff, bitmap);
            FreeImage_Unload(bitmap);
        }
        EXPECT_TRUE(FreeImage_CloseMultiBitmap(tiff, 0));
        if (damaged > 0) { // a compression no decoder knows
            EXPECT_TRUE(shell("tiffset -d " + std::to_string(damaged - 1) + " -s 259 12345 '" +
                              path + "'"));
        }
        return path;
    }
    // An animation whose first frame is green all over, the second the source picture.
    bool animatedWebp(const std::string& path) {
        const std::string firstFrame = temp / "first.png";
        const std::string animation = temp / "anim.gif";
        return saveTwoColours(firstFrame, FIF_PNG, kGreen, kGreen) &&
               shell("convert -delay 10 '" + firstFrame + "' '" + source + "' '" + animation +
                     "' && gif2webp '" + animation + "' -o '" + path + "'");
    }
    std::string source = temp / "source.png";
    std::vector<Page> pages;
};

} // namespace

TEST_F(ModernPictures, EachFormatBecomesAnUprightPageOfItsSizeAndColours) {
    host.files = {pic("a.heic"), pic("b.AVIF"), pic("c.webp"), pic("d.jxl"),
                  pic("e.webp"), pic("f.heic"), pic("g.webp")};
    ASSERT_TRUE(shell("heif-enc -q 90 -o '" + host.files[0] + "' '" + source + "'"));
    // Ten bits per channel, brought to eight.
    ASSERT_TRUE(shell("avifenc -d 10 '" + source + "' '" + host.files[1] + "'"));
    ASSERT_TRUE(shell("cwebp -q 90 '" + source + "' -o '" + host.files[2] + "'"));
    // Sixteen bits per channel, without loss.
    const std::string deep = temp / "deep.png";
    ASSERT_TRUE(shell("convert '" + source + "' -depth 16 '" + deep + "' && cjxl -d 0 '" + deep +
                      "' '" + host.files[3] + "'"));
    ASSERT_TRUE(animatedWebp(host.files[4]));
    ASSERT_TRUE(writeTurnedHeic(host.files[5]));
    // EXIF orientation 6 (turn a quarter clockwise) carried over from a JPEG.
    const std::string camera = temp / "camera.jpg";
    ASSERT_TRUE(saveTwoColours(camera, FIF_JPEG));
    ASSERT_TRUE(shell("exiftool -q -overwrite_original -n -Orientation=6 '" + camera +
                      "' && cwebp -metadata exif '" + camera + "' -o '" + host.files[6] + "'"));
    run();

    EXPECT_TRUE(prompts.messages.empty()) << prompts.messages.front().text;
    const std::string pdf = out("NewPDF.pdf");
    ASSERT_EQ(pageCount(pdf), 7);
    for (int number = 1; number <= 4; ++number) {
        const Page& shown = page(pdf, number);
        SCOPED_TRACE(host.files[static_cast<std::size_t>(number - 1)]);
        EXPECT_EQ(shown.width, 64);
        EXPECT_EQ(shown.height, 32);
        EXPECT_TRUE(near(shown, 4, 16, kBlue));
        EXPECT_TRUE(near(shown, 50, 16, kRed));
    }
    const Page& animated = page(pdf, 5);
    EXPECT_TRUE(near(animated, 4, 16, kGreen));
    EXPECT_TRUE(near(animated, 50, 16, kGreen));
    // Turned upright: the left stripe is now on top.
    for (int number = 6; number <= 7; ++number) {
        const Page& turned = page(pdf, number);
        SCOPED_TRACE(host.files[static_cast<std::size_t>(number - 1)]);
        EXPECT_EQ(turned.width, 32);
        EXPECT_EQ(turned.height, 64);
        EXPECT_TRUE(near(turned, 16, 4, kBlue));
        EXPECT_TRUE(near(turned, 16, 50, kRed));
    }
}

// A JPEG XL whose alpha is stored premultiplied (red at half alpha as 128, 0, 0, 128) shows
// the red it stands for over white, 255, 128, 128, not the darker 191, 128, 128 of taking the
// samples for straight alpha; as djxl gives it back (255, 0, 0, 128), in both modes.
TEST_F(ModernPictures, PremultipliedAlphaInAJpegXlIsDividedOut) {
    // 40 x 20 pixels, lossless. libjxl 0.7's encoder cannot write premultiplied alpha: this is
    // its file of those samples with the alpha channel's description edited to say so.
    const std::string premultiplied(
        "\xff\x0a\x98\x70\x30\x00\x4a\x08\x08\x10\x00\x68\x00\x4b\x18\x8b\x15\x00\xd4\x19"
        "\x63\xd0\x4c\x5e\x40\x02\x00\x41\x02\x44\x36\x80\xc1\x81\xbf\x4b\xc6\x06\x00",
        39);
    host.files = {pic("premultiplied.jxl")};
    ASSERT_TRUE(test::writeBytes(host.files[0], premultiplied));
    for (const bool lossless : {false, true}) {
        host.options.lossless = lossless;
        fs::remove_all(host.folder);
        run();
        EXPECT_TRUE(prompts.messages.empty()) << prompts.messages.front().text;
        const Page shown = page(out("NewPDF.pdf"), 1);
        RGBQUAD pixel{};
        ASSERT_TRUE(FreeImage_GetPixelColor(shown.bitmap, 20, 10, &pixel)) << lossless;
        EXPECT_GE(pixel.rgbRed, 252) << lossless;
        EXPECT_NEAR(pixel.rgbGreen, 128, 4) << lossless;
        EXPECT_NEAR(pixel.rgbBlue, 128, 4) << lossless;
    }
}

// Cropped (clap), turned (irot) and mirrored (imir) pictures of 8 and 10 bits, one in a file
// with a pyramid's entity group and one whose properties are listed mirror first, look as
// libheif shows the 8-bit ones as avifenc lists them: the format gives the order, crop, turn,
// mirror, whatever the list's. In both modes.
TEST_F(ModernPictures, TransformedAndPyramidHeifsShowAsTheReferenceDecoderShowsThem) {
    const std::string cells = temp / "cells.png";
    ASSERT_TRUE(saveCells(cells));
    const char* transforms[] = {"--crop 8,8,32,16 --irot 1 --imir 1",
                                "--crop 16,0,24,24 --irot 3 --imir 0"};
    std::vector<FIBITMAP*> references;
    for (std::size_t i = 0; i < std::size(transforms); ++i) {
        const std::string n = std::to_string(i);
        for (const char* depth : {"8", "10"}) {
            host.files.push_back(pic("t" + n + "_" + depth + ".avif"));
            ASSERT_TRUE(shell("avifenc -l -d " + std::string(depth) + " " + transforms[i] + " '" +
                              cells + "' '" + host.files.back() + "'"));
        }
        // libheif 1.15 applies the transformations itself only at 8 bits.
        const std::string reference = temp / ("reference" + n + ".png");
        ASSERT_TRUE(shell("heif-convert '" + host.files[2 * i] + "' '" + reference + "'"));
        references.push_back(FreeImage_Load(FIF_PNG, reference.c_str(), 0));
        ASSERT_NE(references.back(), nullptr);
    }
    host.files.push_back(pic("pyramid.avif"));
    ASSERT_TRUE(
        test::writeBytes(host.files.back(), withPyramidGroup(test::readBytes(host.files.front()))));
    host.files.push_back(pic("reversed.avif"));
    ASSERT_TRUE(test::writeBytes(host.files.back(),
                                 withAssociationsReversed(test::readBytes(host.files.front()))));
    for (const bool lossless : {false, true}) {
        host.options.lossless = lossless;
        run();
        EXPECT_TRUE(prompts.messages.empty()) << prompts.messages.front().text;
        prompts.messages.clear();
        const std::string pdf = out("NewPDF.pdf");
        ASSERT_EQ(pageCount(pdf), 6) << lossless;
        for (int page = 1; page <= 6; ++page) {
            SCOPED_TRACE(host.files[static_cast<std::size_t>(page - 1)]);
            expectPageLike(pdf, page, references[page >= 5 ? 0 : (page - 1) / 2], lossless ? 2 : 8,
                           temp / "shown.png", lossless);
        }
        fs::remove(pdf);
    }
    for (FIBITMAP* reference : references)
        FreeImage_Unload(reference);
}

// A GIF's page is its logical screen, the first frame at its offset and cut at the screen's
// edge, the rest transparent: as ImageMagick flattens it on white, in both modes.
TEST_F(ModernPictures, AGifPageIsItsScreenWithTheFirstFramePlaced) {
    const std::string colours("\0\0\0\xFF\0\0\0\0\xFF\0\xC0\0", 12);
    test::GifFrame placed{40, 30, 5, 8, 20, 10, "", colours, 3}; // index 3 transparent
    for (unsigned i = 0; i < 200; ++i)
        placed.indices += static_cast<char>(i % 20 == 10 ? 3 : i % 20 < 10 ? 1 : 2);
    test::GifFrame beyond = placed; // only its top left 10 x 5 pixels on the screen
    beyond.left = 30;
    beyond.top = 25;
    beyond.transparent = -1;
    test::GifFrame everyIndex{24, 24, 4, 4, 16, 16, "", "", -1}; // no index left for the screen
    for (unsigned i = 0; i < 256; ++i) {
        everyIndex.indices += static_cast<char>(i);
        for (const unsigned sample : {i, 255 - i, i * 7 % 256})
            everyIndex.colours += static_cast<char>(sample);
    }
    std::vector<FIBITMAP*> references;
    for (const auto& [name, frame] :
         {std::pair{"placed.gif", placed}, {"beyond.gif", beyond}, {"every.gif", everyIndex}}) {
        host.files.push_back(pic(name));
        ASSERT_TRUE(test::writeGif(host.files.back(), frame));
        const std::string reference = temp / (std::string(name) + ".png");
        ASSERT_TRUE(shell("convert '" + host.files.back() + "[0]' -background white -flatten " +
                          "PNG24:'" + reference + "'"));
        references.push_back(FreeImage_Load(FIF_PNG, reference.c_str(), 0));
        ASSERT_NE(references.back(), nullptr);
    }
    for (const bool lossless : {false, true}) {
        host.options.lossless = lossless;
        run();
        EXPECT_TRUE(prompts.messages.empty()) << prompts.messages.front().text;
        prompts.messages.clear();
        const std::string pdf = out("NewPDF.pdf");
        ASSERT_EQ(pageCount(pdf), 3) << lossless;
        for (int page = 1; page <= 3; ++page) {
            SCOPED_TRACE(host.files[static_cast<std::size_t>(page - 1)]);
            expectPageLike(pdf, page, references[static_cast<std::size_t>(page - 1)],
                           lossless ? 0 : 4, temp / "shown.png", lossless);
        }
        fs::remove(pdf);
    }
    for (FIBITMAP* reference : references)
        FreeImage_Unload(reference);

    // The screen is the page: one at the pixel limit is refused, from its size alone, also when
    // the file ends after it (a decompression bomb of a few bytes). A frame claiming far more
    // pixels than its data holds is refused as before, whatever the screen.
    const std::string huge = temp / "huge.gif";
    test::GifFrame wide = placed;
    wide.screenWidth = wide.screenHeight = 40000;
    ASSERT_TRUE(test::writeGif(huge, wide));
    std::string reason;
    EXPECT_FALSE(test::stageLikeJob(huge, temp / "staged.jpg", &reason));
    EXPECT_EQ(reason, "40000 x 40000 pixels reaches the limit of 900 megapixels");
    ASSERT_TRUE(test::writeBytes(huge, test::readBytes(huge).substr(0, 13)));
    EXPECT_FALSE(test::stageLikeJob(huge, temp / "staged.jpg", &reason));
    EXPECT_EQ(reason, "40000 x 40000 pixels reaches the limit of 900 megapixels");
    test::GifFrame claimed = placed;
    claimed.width = 65535;
    claimed.height = 10751;
    ASSERT_TRUE(test::writeGif(huge, claimed));
    EXPECT_FALSE(test::stageLikeJob(huge, temp / "staged.jpg", &reason));
    EXPECT_EQ(reason, "65535 x 10751 pixels claimed with too little image data for them");
}

TEST_F(ModernPictures, ProfilesStayAndRecompressedJpegsComeBackByteForByte) {
    const std::string plain = temp / "plain.webp";
    const std::string profile = temp / "display.icc";
    const std::string tagged = pic("tagged.webp");
    ASSERT_TRUE(test::writeBytes(profile, fakeRgbProfile()));
    ASSERT_TRUE(shell("cwebp -lossless '" + source + "' -o '" + plain + "' && webpmux -set icc '" +
                      profile + "' '" + plain + "' -o '" + tagged + "'"));
    // A 10-bit AVIF is decoded in 16-bit samples, which FreeImage converts without the profile.
    const std::string deep = pic("deep.avif");
    ASSERT_TRUE(shell("avifenc -d 10 --icc '" + profile + "' '" + source + "' '" + deep + "'"));
    const std::string staged = temp / "staged.jpg";
    for (const std::string& picture : {tagged, deep}) {
        SCOPED_TRACE(picture);
        ASSERT_TRUE(test::stageLikeJob(picture, staged));
        FIBITMAP* bitmap = FreeImage_Load(FIF_JPEG, staged.c_str(), 0);
        ASSERT_NE(bitmap, nullptr);
        const FIICCPROFILE* icc = FreeImage_GetICCProfile(bitmap);
        EXPECT_EQ(std::string(static_cast<const char*>(icc->data), icc->size), fakeRgbProfile());
        FreeImage_Unload(bitmap);
        // Without loss: 16-bit samples stay; libpng refuses this made-up profile, not the picture.
        const std::string lossless = temp / "staged.png";
        ASSERT_TRUE(staging::stageLossless(picture, "", lossless));
        bitmap = FreeImage_Load(FIF_PNG, lossless.c_str(), 0);
        ASSERT_NE(bitmap, nullptr);
        EXPECT_EQ(FreeImage_GetImageType(bitmap), picture == deep ? FIT_RGB16 : FIT_BITMAP);
        FreeImage_Unload(bitmap);
    }

    // Half-transparent red: laid on white in a JPEG, kept as alpha without loss.
    const std::string half = temp / "half.png";
    const std::string halfWebp = pic("half.webp");
    ASSERT_TRUE(shell("convert -size 8x8 xc:'rgba(255,0,0,0.5)' '" + half +
                      "' && cwebp -lossless '" + half + "' -o '" + halfWebp + "'"));
    ASSERT_TRUE(test::stageLikeJob(halfWebp, staged));
    FIBITMAP* flat = FreeImage_Load(FIF_JPEG, staged.c_str(), 0);
    RGBQUAD pixel{};
    ASSERT_TRUE(flat != nullptr && FreeImage_GetPixelColor(flat, 4, 4, &pixel));
    EXPECT_NEAR(pixel.rgbRed, 255, 8);
    EXPECT_NEAR(pixel.rgbGreen, 128, 8);
    FreeImage_Unload(flat);
    const std::string png = temp / "half-staged.png";
    ASSERT_TRUE(staging::stageLossless(halfWebp, "", png));
    FIBITMAP* kept = FreeImage_Load(FIF_PNG, png.c_str(), 0);
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(FreeImage_GetBPP(kept), 32u);
    FreeImage_Unload(kept);

    // cjxl keeps a JPEG's reconstruction data; the staged file is that JPEG again.
    const std::string jpeg = temp / "camera.jpg";
    const std::string jxl = pic("camera.jxl");
    ASSERT_TRUE(saveTwoColours(jpeg, FIF_JPEG));
    ASSERT_TRUE(shell("cjxl --lossless_jpeg=1 '" + jpeg + "' '" + jxl + "'"));
    ASSERT_TRUE(test::stageLikeJob(jxl, staged));
    EXPECT_EQ(test::readBytes(staged), test::readBytes(jpeg));
}

TEST_F(ModernPictures, DamagedAndGiganticPicturesAreReportedByName) {
    const std::string whole = temp / "whole.heic";
    ASSERT_TRUE(shell("heif-enc -q 90 -o '" + whole + "' '" + source + "'"));
    const std::string damaged = pic("damaged.heic");
    std::string bytes = test::readBytes(whole);
    ASSERT_TRUE(test::writeBytes(damaged, bytes.substr(0, bytes.size() / 2)));
    // An animation whose canvas claims 40000 x 40000 pixels.
    const std::string huge = pic("huge.webp");
    ASSERT_TRUE(animatedWebp(huge));
    bytes = test::readBytes(huge);
    ASSERT_EQ(bytes.compare(12, 4, "VP8X"), 0);
    for (const int at : {24, 27}) // canvas width and height less one, 24 bits each
        bytes.replace(static_cast<std::size_t>(at), 3, std::string("\x3F\x9C\x00", 3));
    ASSERT_TRUE(test::writeBytes(huge, bytes));
    // A TIFF whose second page claims 20000 x 20000 pixels for its few bytes of data.
    const std::string bomb = threePageTiff("bomb.tif");
    ASSERT_TRUE(shell("tiffset -d 1 -s 256 20000 '" + bomb + "' && tiffset -d 1 -s 257 20000 '" +
                      bomb + "'"));
    host.files = {damaged, whole, huge, bomb};
    run();

    EXPECT_EQ(pageCount(out("NewPDF.pdf")), 3);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text,
              "These pictures could not be converted and are missing from the result:\n" + damaged +
                  "\n" + huge + "\n" + bomb + " (page 2)");
    EXPECT_EQ(prompts.messages[0].details.substr(0, damaged.size() + 11), damaged + ": damaged (");
    EXPECT_NE(prompts.messages[0].details.find(
                  ")\n" + huge + ": 40000 x 40000 pixels reaches the limit of 900 megapixels\n" +
                  bomb + ": page 2 could not be converted"),
              std::string::npos)
        << prompts.messages[0].details;
}

// Every picture that cannot be converted is named with why, in both modes; pictures are
// staged on several threads at once, each hearing only its own decoders.
TEST_F(ModernPictures, EveryRefusedPictureHasItsReason) {
    const std::string png = temp / "whole.png";
    const std::string jpeg = temp / "whole.jpg";
    const std::string webp = temp / "whole.webp";
    const std::string tiff = pic("odd.tif");
    const std::string brokenTiff = pic("ifd.tif");
    const std::string cmyk = temp / "cmyk.jpg";
    ASSERT_TRUE(saveTwoColours(png, FIF_PNG) && saveTwoColours(jpeg, FIF_JPEG) &&
                shell("convert '" + png + "' -colorspace CMYK '" + cmyk + "'") &&
                saveTwoColours(tiff, FIF_TIFF) && saveTwoColours(brokenTiff, FIF_TIFF) &&
                shell("cwebp -q 80 '" + png + "' -o '" + webp + "'") &&
                shell("tiffset -s 259 34712 '" + tiff + "'"));
    const std::string pngBytes = test::readBytes(png);
    const std::string jpegBytes = test::readBytes(jpeg);
    const std::string webpBytes = test::readBytes(webp);
    std::string deep = jpegBytes; // the frame header states 12-bit samples
    const auto frame = deep.find("\xFF\xC0");
    ASSERT_NE(frame, std::string::npos);
    deep[frame + 4] = 12;
    std::string ifd = test::readBytes(brokenTiff); // its first directory claims 65535 entries
    const auto at = static_cast<unsigned char>(ifd[4]) | static_cast<unsigned char>(ifd[5]) << 8;
    ASSERT_EQ(ifd.compare(0, 2, "II"), 0);
    ifd.replace(static_cast<std::size_t>(at), 2, "\xFF\xFF");

    // A JPEG cut halfway through its scan.
    const auto midScan = [](const std::string& bytes) {
        return bytes.substr(0, (bytes.find("\xFF\xDA") + bytes.size()) / 2);
    };
    // Each file with its reason; one ending in "(" stands for any decoder's own message.
    const std::vector<std::pair<std::string, std::string>> table = {
        {"noise.png", "not a picture (unknown format)"},
        {"empty.png", "not a picture (empty file)"},
        {"noise.webp", "not a picture (unknown format)"},
        {"noise.heic", "not a picture (unknown format)"},
        {"cut.jpg", "damaged (JPEG data ends early)"},
        {"short.jpg", "damaged (JPEG data ends early)"}, // cut inside its scan
        {"short-cmyk.jpg", "damaged (JPEG data ends early)"},
        {"cut.png", "damaged ("},
        {"cut.webp", "damaged (WebP data ends early)"},
        {"ifd.tif", "damaged ("},
        {"folder.jpg", "cannot be read (Is a directory)"},
        {"gone.png", "cannot be read (No such file or directory)"},
        {"deep.jpg", "JPEG with 12-bit samples is not supported"},
        {"odd.tif", "TIFF with compression 34712 is not supported"},
        {"raw.heif", "HEIF with uncompressed data is not supported by this system's libheif"}};
    ASSERT_TRUE(test::writeBytes(pic("noise.png"), noise(3000)) &&
                test::writeBytes(pic("empty.png"), "") &&
                test::writeBytes(pic("noise.webp"), noise(2000)) &&
                test::writeBytes(pic("noise.heic"), noise(2000)) &&
                test::writeBytes(pic("cut.jpg"), jpegBytes.substr(0, jpegBytes.find("\xFF\xDA"))) &&
                test::writeBytes(pic("short.jpg"), midScan(jpegBytes)) &&
                test::writeBytes(pic("open.jpg"), jpegBytes.substr(0, jpegBytes.size() - 2)) &&
                test::writeBytes(pic("short-cmyk.jpg"), midScan(test::readBytes(cmyk))) &&
                test::writeBytes(pic("cut.png"), pngBytes.substr(0, pngBytes.size() / 2)) &&
                test::writeBytes(pic("cut.webp"), webpBytes.substr(0, webpBytes.size() / 2)) &&
                test::writeBytes(pic("ifd.tif"), ifd) && test::writeBytes(pic("deep.jpg"), deep) &&
                test::writeBytes(pic("raw.heif"), uncompressedHeif()));
    fs::create_directory(pic("folder.jpg"));
    fs::create_symlink(temp / "nowhere.png", pic("gone.png"));

    // A JPEG that lacks only its end marker is whole: it is converted.
    host.files = {source, pic("open.jpg")};
    for (const auto& row : table)
        host.files.push_back(pic(row.first));
    for (const bool lossless : {false, true}) {
        host.options.lossless = lossless;
        prompts.messages.clear();
        run();
        EXPECT_EQ(pageCount(out(lossless ? "NewPDF1.pdf" : "NewPDF.pdf")), 2);
        ASSERT_EQ(prompts.messages.size(), 1u);
        std::istringstream details(prompts.messages[0].details);
        std::string line;
        for (const auto& [name, reason] : table) {
            ASSERT_TRUE(std::getline(details, line)) << name;
            const std::string lead = pic(name) + ": " + reason;
            if (reason.back() == '(') {
                EXPECT_TRUE(line.rfind(lead, 0) == 0 && line != lead + "cannot be decoded)")
                    << line << (lossless ? " lossless" : "");
            } else {
                EXPECT_EQ(line, lead) << (lossless ? "lossless" : "");
            }
            // The message of the picture's own decoder, not of one it is not for.
            if (name.find(".tif") == std::string::npos) {
                EXPECT_EQ(line.find("TIFF"), std::string::npos) << line;
            }
        }
        EXPECT_FALSE(std::getline(details, line)) << line;
    }
}

// Headers claiming far more pixels than the data holds, through the job's staging; the most
// compressed pictures each codec's writers make are kept.
TEST_F(ModernPictures, ClaimsBeyondTheDataAreRefusedButWhitePicturesKept) {
    // A WebP animation of 64 x 32 frames whose canvas claims 16000 x 16000.
    const std::string webp = pic("canvas.webp");
    ASSERT_TRUE(animatedWebp(webp));
    std::string bytes = test::readBytes(webp);
    ASSERT_EQ(bytes.compare(12, 4, "VP8X"), 0);
    for (const int at : {24, 27}) // canvas width and height less one, 24 bits each
        bytes.replace(static_cast<std::size_t>(at), 3, std::string("\x7F\x3E\x00", 3));
    ASSERT_TRUE(test::writeBytes(webp, bytes));
    // heif-enc puts the 64 x 32 picture in a grid of one 64 x 64 tile. The grid's own header
    // (in idat) claims 20000 x 20000, its ispe property left alone; then the ispe of the grid
    // and of its tile claim that too.
    const std::string heic = temp / "small.heic";
    ASSERT_TRUE(shell("heif-enc -q 90 -o '" + heic + "' '" + source + "'"));
    bytes = test::readBytes(heic);
    const auto grid = bytes.find(std::string("idat\0\0\0\0\0\x40\0\x20", 12));
    ASSERT_NE(grid, std::string::npos);
    bytes.replace(grid + 8, 4, "\x4E\x20\x4E\x20");
    ASSERT_TRUE(test::writeBytes(pic("grid.heic"), bytes));
    for (auto at = bytes.find("ispe"); at != std::string::npos; at = bytes.find("ispe", at + 1))
        bytes.replace(at + 8, 8, std::string("\0\0\x4E\x20\0\0\x4E\x20", 8));
    ASSERT_TRUE(test::writeBytes(pic("tiles.heic"), bytes));
    // An AVIF grid of two 64 x 64 tiles (its header in mdat) claiming 20000 x 20000.
    const std::string avif = pic("grid.avif");
    ASSERT_TRUE(shell("convert -size 128x64 xc:red -type TrueColor 'PNG24:" + temp / "wide.png" +
                      "' && avifenc -s 10 --grid 2x1 '" + temp / "wide.png" + "' '" + avif + "'"));
    bytes = test::readBytes(avif);
    const auto avifGrid = bytes.find(std::string("\0\0\0\x01\0\x80\0\x40", 8));
    ASSERT_NE(avifGrid, std::string::npos);
    bytes.replace(avifGrid + 4, 4, "\x4E\x20\x4E\x20");
    ASSERT_TRUE(test::writeBytes(avif, bytes));
    const jobfiles::JobOptions options;
    const std::pair<std::string, const char*> bombs[] = {{webp, "16000 x 16000"},
                                                         {pic("grid.heic"), "20000 x 20000"},
                                                         {pic("tiles.heic"), "20000 x 20000"},
                                                         {avif, "20000 x 20000"}};
    for (const auto& [path, size] : bombs) {
        const staging::PictureStaging staged =
            staging::stagePicturePages(path, temp / "bomb", options);
        EXPECT_EQ(staged.pages, 0) << path;
        EXPECT_EQ(staged.problem,
                  std::string(size) + " pixels claimed with too little image data for them")
            << path;
    }

    // White pictures: lossy WebP over 256 MB of RGBA in 113828 bytes (the general rule asks
    // for 65 KB) and lossless in 38 bytes, checked without decoding their 67 megapixels; HEIC
    // in 30 times the bytes HEVC's bound asks for; a gray 4096 x 4096 AVIF in 443 bytes, under
    // that bound.
    const std::string white = temp / "white.png";
    ASSERT_TRUE(shell("convert -size 1024x1024 xc:white -type TrueColor 'PNG24:" + white + "'"));
    const std::string lossy = temp / "white.webp";
    const std::string lossless = temp / "clear.webp";
    ASSERT_TRUE(shell("cwebp -quiet -m 1 -resize 8192 8193 '" + white + "' -o '" + lossy + "'"));
    ASSERT_TRUE(shell("cwebp -quiet -lossless -z 0 -resize 8192 8193 '" + white + "' -o '" +
                      lossless + "'"));
    for (const std::string& path : {lossy, lossless}) {
        const auto file = pictures::readFileBytes(path);
        ASSERT_TRUE(file.has_value());
        EXPECT_EQ(pictures::webpDataTooShort(file->data(), file->size()), "") << path;
    }
    const std::string whiteHeic = pic("white.heic");
    const std::string whiteAvif = pic("white.avif");
    ASSERT_TRUE(shell("heif-enc -q 50 -o '" + whiteHeic + "' '" + white + "'"));
    const std::string gray = temp / "gray.y4m";
    ASSERT_TRUE(test::writeBytes(gray, "YUV4MPEG2 W4096 H4096 F25:1 Ip A1:1 Cmono\nFRAME\n" +
                                           std::string(4096 * 4096, '\xFF')));
    ASSERT_TRUE(shell("avifenc -s 10 '" + gray + "' '" + whiteAvif + "'"));
    for (const std::string& path : {whiteHeic, whiteAvif}) {
        const staging::PictureStaging staged =
            staging::stagePicturePages(path, temp / "white", options);
        EXPECT_EQ(staged.pages, 1) << path << ": " << staged.problem;
    }
}

TEST_F(ModernPictures, EveryPageOfATiffInBothModesAndDamagedPagesNamed) {
    host.files = {threePageTiff("scan.tif"), source};
    run();
    const std::string pdf = out("NewPDF.pdf");
    ASSERT_EQ(pageCount(pdf), 4);
    EXPECT_TRUE(near(page(pdf, 1), 50, 16, kRed));
    EXPECT_TRUE(near(page(pdf, 2), 50, 16, kGreen));
    EXPECT_TRUE(near(page(pdf, 3), 50, 16, kBlue));
    EXPECT_TRUE(near(page(pdf, 4), 50, 16, kRed));
    // Progress counts pictures, not pages.
    EXPECT_NE(std::find(host.frontTexts.begin(), host.frontTexts.end(), "Converting Files...100%"),
              host.frontTexts.end());
    EXPECT_TRUE(prompts.messages.empty());

    host.perPicture = true;
    host.files = {host.files[0], threePageTiff("torn.tiff", 2)};
    run();
    EXPECT_EQ(pageCount(out("scan.pdf")), 3);
    const std::string torn = out("torn.pdf");
    ASSERT_EQ(pageCount(torn), 2);
    EXPECT_TRUE(near(page(torn, 2), 50, 16, kBlue));
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text,
              "This picture could not be converted and is missing from the result:\n" +
                  host.files[1] + " (page 2)");
    EXPECT_FALSE(fs::exists(platform::stagingFolder()));
}

TEST_F(ModernPictures, EachTiffPageKeepsItsOwnResolution) {
    // Page 1 states none (96 dpi), page 2 states 300 dpi.
    const std::string tiff = pic("dpi.tif");
    ASSERT_TRUE(shell("convert -size 30x20 xc:red '" + temp / "p1.tif" + "' && convert -size " +
                      "30x20 xc:blue -units PixelsPerInch -density 300 '" + temp / "p2.tif" +
                      "' && tiffcp '" + temp / "p1.tif" + "' '" + temp / "p2.tif" + "' '" + tiff +
                      "'"));
    host.files = {tiff};
    for (const bool lossless : {false, true}) {
        host.options.lossless = lossless;
        run();
        EXPECT_EQ(pageSize(out("NewPDF.pdf"), 1), "22.5 x 15") << lossless;
        EXPECT_EQ(pageSize(out("NewPDF.pdf"), 2), "7.2 x 4.8") << lossless;
        fs::remove(out("NewPDF.pdf"));
    }
}

// A TIFF cut short while it is being read (rewritten by another program) is a damaged page, not
// the end of the process: TIFFs are read, never mapped.
TEST(TiffRead, AFileCutShortWhileReadIsRefusedNotACrash) {
    test::TempFolder temp;
    test::TiffPage page;
    page.width = 1000;
    page.height = 1000;
    page.photometric = PHOTOMETRIC_RGB;
    page.samples = 3;
    page.compression = COMPRESSION_NONE;
    page.data.assign(std::size_t{3} * page.width * page.height, '\x60');
    const std::string path = temp / "cut.tif";
    ASSERT_TRUE(test::writeTiff(path, {page}));
    pictures::TiffPages pages(path);
    ASSERT_EQ(pages.count(), 1);
    fs::resize_file(path, 4096);
    std::string problem;
    FIBITMAP* bitmap = pages.decode(1, problem);
    EXPECT_EQ(bitmap, nullptr);
    if (bitmap != nullptr)
        FreeImage_Unload(bitmap);
}

TEST_F(ModernPictures, ATiffWhoseFirstPageIsDamagedKeepsItsOtherPagesPerPicture) {
    host.perPicture = true;
    host.files = {threePageTiff("front.tiff", 1)};
    run();
    const std::string pdf = out("front.pdf");
    ASSERT_EQ(pageCount(pdf), 2);
    EXPECT_TRUE(near(page(pdf, 1), 50, 16, kGreen));
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text,
              "This picture could not be converted and is missing from the result:\n" +
                  host.files[0] + " (page 1)");
}

TEST_F(ModernPictures, TurnedPicturesTurnEveryPageInBothModesAndKeepTheirJpeg) {
    // 64 x 32, shown tall by EXIF and turned on to stand on its head; the red block is its
    // stored top-left corner. The TIFF's pages (blue on their left) are turned back a quarter.
    const std::string jpeg = pic("head.jpg");
    ASSERT_TRUE(pdftool::test::writeJpeg(jpeg, {.width = 64, .height = 32, .exifOrientation = 6}));
    host.files = {jpeg, threePageTiff("scan.tif")};
    host.turns = {90, 270};
    const auto expectTurned = [&](const std::string& pdf, int first) {
        EXPECT_EQ(pageSize(pdf, first), "48 x 24") << pdf;
        EXPECT_TRUE(near(page(pdf, first), 58, 28, kRed)) << pdf;
        EXPECT_TRUE(near(page(pdf, first), 5, 3, kWhite)) << pdf;
        const std::string extracted = temp / "extracted";
        ASSERT_EQ(std::system(("pdfimages -f " + std::to_string(first) + " -l " +
                               std::to_string(first) + " -all '" + pdf + "' '" + extracted + "'")
                                  .c_str()),
                  0);
        EXPECT_EQ(test::readBytes(extracted + "-000.jpg"), test::readBytes(jpeg)) << pdf;
    };
    const auto expectTiffTurned = [&](const std::string& pdf, int first) {
        const Rgb colours[] = {kRed, kGreen, kBlue};
        for (int i = 0; i < 3; ++i) {
            // Stated at 72 dpi: 32 x 64 pt, drawn 43 x 85 pixels; the blue quarter at the bottom.
            const Page& shown = page(pdf, first + i);
            EXPECT_EQ(shown.width * 100 / shown.height, 50) << pdf << " " << i;
            EXPECT_TRUE(near(shown, 20, 10, colours[i])) << pdf << " " << i;
            EXPECT_TRUE(near(shown, 20, 78, kBlue)) << pdf << " " << i;
        }
    };
    run();
    ASSERT_EQ(pageCount(out("NewPDF.pdf")), 4);
    expectTurned(out("NewPDF.pdf"), 1);
    expectTiffTurned(out("NewPDF.pdf"), 2);

    host.perPicture = true;
    host.options.lossless = true;
    run();
    ASSERT_EQ(pageCount(out("head.pdf")), 1);
    expectTurned(out("head.pdf"), 1);
    ASSERT_EQ(pageCount(out("scan.pdf")), 3);
    expectTiffTurned(out("scan.pdf"), 1);
    EXPECT_TRUE(prompts.messages.empty());
}
