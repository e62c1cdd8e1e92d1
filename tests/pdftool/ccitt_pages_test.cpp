// Bilevel pages: a staged JBIG2 page's stream as it is; a staged one-strip Group 4 TIFF coded
// anew as JBIG2, or with Bilevel=g4 its data as it is; anything else is skipped. A tall or wide
// picture split over pages of paper, shown slice by slice from one stored image.
#include "command_output.h"
#include "formats/g4_stream.h"
#include "formats/g4_tiff.h"
#include "formats/jbig2_page.h"
#include "jbig2/encoder.h"
#include "jobfiles/encryption.h"
#include "jobfiles/page_words.h"
#include "jpeg_maker.h"
#include "pdf_probe.h"
#include "tiff_maker.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <random>
#include <sstream>
#include <tiffio.h>

using namespace pw::pdftool;
using namespace pw::pdftool::test;
using namespace pw;

namespace {

// The size of BilevelSpec's picture.
constexpr int kWidth = 21;
constexpr int kHeight = 10;

// Column `column` (from 0) of each image's line of `pdfimages -list`: 8 its coding, 10 its
// object number.
std::vector<std::string> listColumn(const std::string& pdf, int column,
                                    const std::string& options = "") {
    std::istringstream list(
        pw::test::commandOutput("pdfimages -list " + options + " '" + pdf + "'"));
    std::string line;
    std::vector<std::string> values;
    for (int skip = 0; skip < 2 && std::getline(list, line); ++skip) {
    }
    while (std::getline(list, line)) {
        std::istringstream fields(line);
        std::string field;
        for (int i = 0; i <= column; ++i)
            fields >> field;
        values.push_back(field);
    }
    return values;
}

// The object number of each page's image, as `pdfimages -list` gives them.
std::vector<std::string> imageObjects(const std::string& pdf) {
    return listColumn(pdf, 10);
}

// Runs pdf.exe over the stage with its picture split on A4 with margins and overlap of 10 mm,
// and checks that `pages` pages show one image.
void splitOnA4(const Stage& stage, std::size_t pages) {
    const ToolRun run = runSplitOnA4(stage, 10, 10);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    ASSERT_EQ(qpdfCheck(stage.pdf()), 0);
    const std::vector<std::string> objects = imageObjects(stage.pdf());
    ASSERT_EQ(objects.size(), pages);
    EXPECT_EQ(std::count(objects.begin(), objects.end(), objects[0]), std::ptrdiff_t(pages));
}

// The split pictures below: bands of 37 lines, every third one dark.
bool banded(int line) {
    return (line / 37) % 3 == 0;
}

// A4 with margins and overlap of 10 mm, as splitOnA4 lays it out: the area's length along the
// slices, and a picture line's thickness when its 100 lines span the area's other side.
constexpr double kMargin = 10 * 72 / 25.4;
constexpr double kAreaLength = 841.89 - 2 * kMargin;
constexpr double kLinePoints = (595.276 - 2 * kMargin) / 100;

// How many samples of slice `page` (from 0) of a 1000-line banded picture split by splitOnA4
// differ from it: each sample is how far into the area along the slices it lies (in points)
// and whether it is dark. Samples within `blur` lines of a band's edge or on the clip's edge
// are not judged.
int wrongSamples(int page, const std::vector<std::pair<double, bool>>& samples, double blur) {
    const double step = kAreaLength - kMargin; // the area less the overlap
    int wrong = 0;
    for (const auto& [into, dark] : samples) {
        const double line = (into + page * step) / kLinePoints;
        const bool inArea = into > 1 && into < kAreaLength - 1;
        const bool nearEdge = std::abs(line / 37 - std::round(line / 37)) * 37 < blur;
        if (!inArea && into > -1 && into < kAreaLength + 1)
            continue; // the clip's own edge
        if (inArea && (nearEdge || line >= 1000))
            continue;
        wrong += dark != (inArea && banded(static_cast<int>(line)));
    }
    return wrong;
}

} // namespace

TEST(CcittPages, StripGoesInAsItIsAndShowsThePattern) {
    Stage stage;
    ASSERT_TRUE(writeFile(stage.path("options.txt"), "Bilevel=g4\n"));
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
        ASSERT_TRUE(pw::formats::readG4Tiff(stage.path(name), reason, 1, &strip)) << reason;
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
                wrong += *shown.at(4 * x + 1, 4 * y + 1) != (bilevelPattern(x, y) ? 0 : 255);
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
    const auto page = formats::readG4Tiff(stage.path("00002.tif"), reason);
    ASSERT_TRUE(page) << reason;
    std::string cut = readFile(stage.path("00002.tif"));
    std::string garbled = cut;
    cut.resize(page->stripOffset + page->stripBytes / 2);
    ASSERT_TRUE(writeFile(stage.path("00002.tif"), cut));
    for (std::uint64_t i = 0; i < page->stripBytes; ++i)
        garbled[page->stripOffset + i] = static_cast<char>(0x55 ^ (i * 29));
    ASSERT_TRUE(writeFile(stage.path("00003.tif"), garbled));

    // Coded anew as JBIG2 (libtiff's decode alone judges the data) and copied as Group 4.
    for (const char* options : {"", "Bilevel=g4\n"}) {
        ASSERT_TRUE(writeFile(stage.path("options.txt"), options));
        const ToolRun run = runPdfExe(stage);
        EXPECT_EQ(run.exitCode, 3) << run.output;
        for (const char* name : {"00000.tif", "00001.tif", "00002.tif", "00003.tif", "00004.tif"})
            EXPECT_NE(run.output.find(std::string("Skipped ") + name + ": "), std::string::npos)
                << run.output;
    }
}

// A staged JBIG2 page goes in with its stream byte for byte, its page as large as its header's
// resolution says; a page cut short, one whose header and stream disagree on its size, and one
// whose region does not reach the file's end are skipped with a reason.
TEST(BilevelPages, StagedJbig2StreamsGoInAsTheyAre) {
    Stage stage;
    std::vector<std::uint8_t> rows(3 * kHeight);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            if (bilevelPattern(x, y))
                rows[static_cast<std::size_t>(3 * y + x / 8)] |=
                    static_cast<std::uint8_t>(0x80 >> (x % 8));
    const std::vector<std::uint8_t> coded =
        jbig2::encodeEmbedded({rows.data(), kWidth, kHeight, 3, true});
    ASSERT_FALSE(coded.empty());
    const std::string stream(coded.begin(), coded.end());
    formats::Jbig2Page header;
    header.width = kWidth;
    header.height = kHeight;
    header.xResolution = 2.0F;
    header.yResolution = 4.0F;
    header.resolutionUnit = RESUNIT_CENTIMETER; // 5.08 and 10.16 dpi: too coarse, so 96
    const std::string page = formats::jbig2PageHeader(header);
    header.xResolution = 300.0F;
    header.yResolution = 150.0F;
    header.resolutionUnit = RESUNIT_INCH;
    ASSERT_TRUE(writeFile(stage.path("00000.jb2"), formats::jbig2PageHeader(header) + stream));
    ASSERT_TRUE(writeFile(stage.path("00001.jb2"), page + stream));
    ASSERT_TRUE(writeFile(stage.path("00002.jb2"), page + stream.substr(0, stream.size() - 1)));
    header.width = kWidth + 1;
    ASSERT_TRUE(writeFile(stage.path("00003.jb2"), formats::jbig2PageHeader(header) + stream));
    ASSERT_TRUE(writeFile(stage.path("00004.jb2"), page + stream + stream));

    const ToolRun run = runPdfExe(stage);
    EXPECT_EQ(run.exitCode, 0) << run.output;
    for (const char* name : {"00002.jb2", "00003.jb2", "00004.jb2"})
        EXPECT_NE(run.output.find(std::string("Skipped ") + name + ": "), std::string::npos)
            << run.output;
    QPDF pdf;
    pdf.processFile(stage.pdf().c_str());
    std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(pdf).getAllPages();
    ASSERT_EQ(pages.size(), 2U);
    const std::array<double, 2> points[] = {{72.0 * kWidth / 300, 72.0 * kHeight / 150},
                                            {72.0 * kWidth / 96, 72.0 * kHeight / 96}};
    for (std::size_t i = 0; i < pages.size(); ++i) {
        QPDFObjectHandle box = pages[i].getMediaBox();
        EXPECT_NEAR(box.getArrayItem(2).getNumericValue(), points[i][0], 0.01) << i;
        EXPECT_NEAR(box.getArrayItem(3).getNumericValue(), points[i][1], 0.01) << i;
        std::map<std::string, QPDFObjectHandle> images = pages[i].getImages();
        ASSERT_EQ(images.size(), 1U);
        QPDFObjectHandle image = images.begin()->second;
        EXPECT_EQ(image.getDict().getKey("/Filter").getName(), "/JBIG2Decode");
        const std::shared_ptr<Buffer> raw = image.getRawStreamData();
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(raw->getBuffer()), raw->getSize()),
                  stream)
            << i;
    }
}

namespace {

// A picture every coding of bilevel pages must keep exactly.
struct Pattern {
    std::string name;
    int width;
    int height;
    std::function<bool(int, int)> dark;
};

std::vector<Pattern> bilevelPatterns() {
    std::mt19937 random(5);
    auto noise = std::make_shared<std::vector<char>>(99 * 61);
    for (char& dot : *noise)
        dot = random() % 3 == 0;
    return {
        {"odd width", 333, 47,
         [](int x, int y) { return (x * x + 3 * y * y) % 11 < 4 || x == 332; }},
        {"1 x 1", 1, 1, [](int, int) { return true; }},
        {"10000 x 1", 10000, 1, [](int x, int) { return x % 3 == 0 || x % 7 == 1; }},
        {"all white", 64, 40, [](int, int) { return false; }},
        {"all black", 64, 40, [](int, int) { return true; }},
        {"checkerboard", 37, 21, [](int x, int y) { return (x + y) % 2 == 1; }},
        {"noise", 99, 61, [noise](int x, int y) { return (*noise)[y * 99 + x] != 0; }},
    };
}

// A binary PGM's pixels; empty when it is none.
std::vector<std::uint8_t> readPgm(const std::string& path, int& width, int& height) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int maxValue = 0;
    in >> magic >> width >> height >> maxValue;
    in.get();
    if (!in || magic != "P5" || maxValue != 255)
        return {};
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height);
    in.read(reinterpret_cast<char*>(pixels.data()), static_cast<std::streamsize>(pixels.size()));
    return in ? pixels : std::vector<std::uint8_t>{};
}

// Where a page shows its picture: the image matrix of its content stream, then the page's
// height.
std::array<double, 7> placement(QPDFPageObjectHelper page) {
    QPDFObjectHandle contents = page.getObjectHandle().getKey("/Contents");
    if (contents.isArray())
        contents = contents.getArrayItem(0);
    const auto data = contents.getStreamData(qpdf_dl_generalized);
    std::istringstream tokens(
        std::string(reinterpret_cast<const char*>(data->getBuffer()), data->getSize()));
    std::vector<std::string> before;
    for (std::string token; tokens >> token && token != "cm";)
        before.push_back(token);
    std::array<double, 7> placed{};
    for (std::size_t i = 0; i < 6 && before.size() >= 6; ++i)
        placed[i] = std::stod(before[before.size() - 6 + i]);
    placed[6] = page.getObjectHandle().getKey("/MediaBox").getArrayItem(3).getNumericValue();
    return placed;
}

// How many pixels of `pattern` the rendering of its page at `dpi` shows otherwise (black below
// 128), each sampled at its middle.
int wrongPixels(const Pattern& pattern, const std::array<double, 7>& m, const std::string& pgm,
                double dpi) {
    int width = 0;
    int height = 0;
    const std::vector<std::uint8_t> shown = readPgm(pgm, width, height);
    if (shown.empty())
        return -1;
    const double scale = dpi / 72.0;
    int wrong = 0;
    for (int y = 0; y < pattern.height; ++y) {
        for (int x = 0; x < pattern.width; ++x) {
            const double u = (x + 0.5) / pattern.width;
            const double v = 1.0 - (y + 0.5) / pattern.height;
            const auto px = static_cast<int>((m[0] * u + m[2] * v + m[4]) * scale);
            const auto py = static_cast<int>((m[6] - (m[1] * u + m[3] * v + m[5])) * scale);
            if (px < 0 || py < 0 || px >= width || py >= height)
                return -1;
            wrong += (shown[static_cast<std::size_t>(py) * width + px] < 128) != pattern.dark(x, y);
        }
    }
    return wrong;
}

// What mutool says, less the warning of Debian's build that it has no colour management.
std::string mupdfSays(const std::string& arguments) {
    std::string said = pw::test::commandOutput("mutool draw -q " + arguments + " 2>&1");
    const std::string noIcc = "warning: ICC support is not available\n";
    for (auto at = said.find(noIcc); at != std::string::npos; at = said.find(noIcc))
        said.erase(at, noIcc.size());
    return said;
}

} // namespace

// Every pattern, stored with black as 1 and as 0, shows pixel for pixel in poppler and MuPDF,
// coded as JBIG2 by default and as its Group 4 data with Bilevel=g4, without a complaint.
TEST(BilevelPages, EveryPatternShowsExactlyAsJbig2AndAsGroup4) {
    Stage stage;
    const std::vector<Pattern> patterns = bilevelPatterns();
    const std::size_t count = 2 * patterns.size();
    for (std::size_t i = 0; i < count; ++i) {
        const Pattern& pattern = patterns[i / 2];
        char name[32];
        std::snprintf(name, sizeof name, "%05zu.tif", i);
        ASSERT_TRUE(writeBilevel(
            stage.path(name),
            {.photometric = i % 2 == 0 ? PHOTOMETRIC_MINISWHITE : PHOTOMETRIC_MINISBLACK,
             .width = pattern.width,
             .height = pattern.height,
             .dark = pattern.dark}));
    }
    // poppler smooths pictures shown at less than four times their size; MuPDF steps through a
    // picture in fixed point, which drifts by pixels across 10000 of them, unless it shows each
    // as one pixel.
    constexpr int kPopplerDpi = 4 * 96;
    for (const std::string coding : {"jbig2", "g4"}) {
        SCOPED_TRACE(coding);
        if (coding == "g4") {
            ASSERT_TRUE(writeFile(stage.path("options.txt"), "Bilevel=g4\n"));
        }
        const ToolRun run = runPdfExe(stage);
        ASSERT_EQ(run.exitCode, 0) << run.output;
        ASSERT_EQ(qpdfCheck(stage.pdf()), 0);
        EXPECT_EQ(listColumn(stage.pdf(), 8),
                  std::vector<std::string>(count, coding == "g4" ? "ccitt" : "jbig2"));
        QPDF pdf;
        pdf.processFile(stage.pdf().c_str());
        if (coding == "jbig2") {
            EXPECT_EQ(pdf.getPDFVersion(), "1.4");
        }
        const std::string poppler = stage.cache() + "/poppler-" + coding;
        const std::string mupdf = stage.cache() + "/mupdf.pgm";
        EXPECT_EQ(pw::test::commandOutput("pdftoppm -gray -r " + std::to_string(kPopplerDpi) +
                                          " '" + stage.pdf() + "' '" + poppler + "' 2>&1"),
                  "");
        const std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(pdf).getAllPages();
        ASSERT_EQ(pages.size(), count);
        for (std::size_t i = 0; i < count; ++i) {
            const Pattern& pattern = patterns[i / 2];
            const std::string stored = i % 2 == 0 ? ", black as 1" : ", black as 0";
            char number[32];
            std::snprintf(number, sizeof number, "-%02zu.pgm", i + 1);
            const std::array<double, 7> placed = placement(pages[i]);
            EXPECT_EQ(wrongPixels(pattern, placed, poppler + number, kPopplerDpi), 0)
                << "poppler: " << pattern.name << stored;
            const double mupdfDpi = 72.0 * pattern.width / placed[0];
            char dpi[32];
            std::snprintf(dpi, sizeof dpi, "%.6f", mupdfDpi);
            EXPECT_EQ(mupdfSays("-c gray -r " + std::string(dpi) + " -o '" + mupdf + "' '" +
                                stage.pdf() + "' " + std::to_string(i + 1)),
                      "");
            EXPECT_EQ(wrongPixels(pattern, placed, mupdf, mupdfDpi), 0)
                << "MuPDF: " << pattern.name << stored;
        }
    }
}

// JBIG2 pages turned, two on an A4 sheet and one with words over it look as their Group 4
// data does; encrypted, the same, and the words are found.
TEST(BilevelPages, Jbig2PagesTakeTurnsSheetsTextAndEncryption) {
    Stage stage;
    const auto dark = [](int x, int y) { return (x / 7 + y / 5) % 3 == 0 || x * y % 17 == 1; };
    ASSERT_TRUE(writeBilevel(stage.path("00000.tif"), {.width = 101, .height = 61, .dark = dark}));
    ASSERT_TRUE(writeBilevel(
        stage.path("00001.tif"),
        {.photometric = PHOTOMETRIC_MINISBLACK, .width = 77, .height = 130, .dark = dark}));
    ASSERT_TRUE(writeFile(stage.path("turns.txt"), "00000=90\n"));
    ASSERT_TRUE(
        jobfiles::writePageWords(stage.path("00001.words"),
                                 {77, 130, {{true, {4, 4, 70, 20}, {{{4, 4, 70, 20}, "Sheet"}}}}}));
    const std::string layout = "PageSize=A4\nMargin=10\nPerSheet=2x1\n";
    const std::string input = stage.cache() + "/input.txt";
    ASSERT_TRUE(writeFile(input, jobfiles::encryptionText({"secret", "", true, true})));
    const auto build = [&](const std::string& options, bool encrypted, const std::string& shown) {
        EXPECT_TRUE(writeFile(stage.path("options.txt"), layout + options));
        const ToolRun run = runPdfExe(stage, encrypted ? "/NOASK /ENCRYPT '" + stage.folder() +
                                                             "' < '" + input + "'"
                                                       : "/NOASK '" + stage.folder() + "'");
        EXPECT_EQ(run.exitCode, 0) << run.output;
        const std::string password = encrypted ? " -upw secret" : "";
        EXPECT_EQ(listColumn(stage.pdf(), 8, password),
                  std::vector<std::string>(2, options.empty() ? "jbig2" : "ccitt"));
        EXPECT_EQ(pw::test::commandOutput("pdftoppm -gray -r 144" + password + " '" + stage.pdf() +
                                          "' '" + shown + "' 2>&1"),
                  "");
        EXPECT_EQ(mupdfSays(std::string("-c gray -r 144") + (encrypted ? " -p secret" : "") +
                            " -o '" + shown + ".mu.pgm' '" + stage.pdf() + "'"),
                  "");
        return pw::test::commandOutput("pdftotext" + password + " '" + stage.pdf() + "' -");
    };
    const std::string base = stage.cache() + "/";
    build("Bilevel=g4\n", false, base + "g4");
    EXPECT_NE(build("", false, base + "jbig2").find("Sheet"), std::string::npos);
    EXPECT_NE(build("", true, base + "locked").find("Sheet"), std::string::npos);
    EXPECT_EQ(readFile(base + "jbig2-1.pgm"), readFile(base + "g4-1.pgm"));
    EXPECT_EQ(readFile(base + "locked-1.pgm"), readFile(base + "g4-1.pgm"));
    EXPECT_EQ(readFile(base + "jbig2.mu.pgm"), readFile(base + "g4.mu.pgm"));
    EXPECT_EQ(readFile(base + "locked.mu.pgm"), readFile(base + "g4.mu.pgm"));
    int width = 0;
    int height = 0;
    const std::vector<std::uint8_t> sheet = readPgm(base + "g4-1.pgm", width, height);
    EXPECT_GT(std::count(sheet.begin(), sheet.end(), 0), 1000); // both pictures show
}

namespace {

// Bits written as text, high bit first, padded with zeros to a byte.
std::vector<std::uint8_t> packed(const std::string& bits) {
    std::vector<std::uint8_t> bytes((bits.size() + 7) / 8);
    for (std::size_t i = 0; i < bits.size(); ++i)
        if (bits[i] == '1')
            bytes[i / 8] = static_cast<std::uint8_t>(bytes[i / 8] | 0x80 >> (i % 8));
    return bytes;
}

std::string strictly(const std::string& bits, std::uint32_t width, std::uint32_t height) {
    const std::vector<std::uint8_t> bytes = packed(bits);
    return formats::checkG4Stream(bytes.data(), bytes.size(), width, height);
}

} // namespace

// Whatever libtiff's Group 4 encoder writes (runs of every length up to several wide make-up
// codes, passes, vertical codes, both photometrics) passes the strict check and decodes to the
// rows libtiff decodes.
TEST(CcittPages, TheStrictCheckTakesLibtiffsGroup4AndDecodesItAlike) {
    std::mt19937 random(33);
    const auto below = [&random](int most) {
        return std::uniform_int_distribution<int>(0, most - 1)(random);
    };
    const std::string path = ::testing::TempDir() + "/strict.tif";
    for (int page = 0; page < 60; ++page) {
        const int width = 1 + below(page % 12 == 0 ? 7000 : 300);
        const int height = 1 + below(30);
        std::vector<std::vector<bool>> dark(static_cast<std::size_t>(height),
                                            std::vector<bool>(static_cast<std::size_t>(width)));
        for (int box = below(12); box > 0; --box) {
            const int left = below(width);
            const int top = below(height);
            const int right = left + below(width - left + 1);
            const int bottom = top + below(height - top + 1);
            for (int y = top; y < bottom; ++y)
                for (int x = left; x < right; ++x)
                    dark[y][x] = !dark[y][x];
        }
        for (int dot = page % 3 == 0 ? width * height / 8 : 0; dot > 0; --dot)
            dark[below(height)][below(width)] = true;
        ASSERT_TRUE(writeBilevel(
            path, {.photometric = page % 2 == 0 ? PHOTOMETRIC_MINISWHITE : PHOTOMETRIC_MINISBLACK,
                   .width = width,
                   .height = height,
                   .dark = [&](int x, int y) { return dark[y][x]; }}));
        TIFF* tiff = TIFFOpen(path.c_str(), "r");
        ASSERT_NE(tiff, nullptr);
        std::vector<std::uint8_t> raw(TIFFGetStrileByteCount(tiff, 0));
        std::vector<std::uint8_t> rows(static_cast<std::size_t>((width + 7) / 8 * height));
        ASSERT_EQ(TIFFReadRawStrip(tiff, 0, raw.data(), static_cast<tmsize_t>(raw.size())),
                  static_cast<tmsize_t>(raw.size()));
        ASSERT_EQ(TIFFReadEncodedStrip(tiff, 0, rows.data(), static_cast<tmsize_t>(rows.size())),
                  static_cast<tmsize_t>(rows.size()));
        TIFFClose(tiff);
        std::vector<std::uint8_t> decoded;
        EXPECT_EQ(formats::checkG4Stream(raw.data(), raw.size(), static_cast<std::uint32_t>(width),
                                         static_cast<std::uint32_t>(height), &decoded),
                  "")
            << width << " x " << height;
        EXPECT_EQ(decoded, rows) << width << " x " << height;
    }
}

// Data PDF readers decode otherwise than libtiff, or not at all, is refused with the reason.
// Rows of 16 pixels: H(8 white, 4 black) then V0 to the end; the end of the block after them.
TEST(CcittPages, TheStrictCheckRefusesWhatReadersDecodeOtherwise) {
    const std::string row = "001"
                            "10011"
                            "011"
                            "1";
    const std::string end = "000000000001000000000001";
    EXPECT_EQ(strictly(row + row + end, 16, 2), "");
    EXPECT_EQ(strictly(row + row, 16, 2), "");                // no end of the block
    EXPECT_EQ(strictly(row + row + "0000" + end, 16, 2), ""); // fill bits before it
    EXPECT_EQ(strictly(row + row + row + end, 16, 2), "data after the last row");
    EXPECT_EQ(strictly(row + end, 16, 2), "an end of line in row 2");
    EXPECT_EQ(strictly(row, 16, 2), "the data ends in row 2");
    EXPECT_EQ(strictly(row + row + end + "1", 16, 2), "data after the end of the page");
    // 10 white and 10 black overrun 16 pixels.
    EXPECT_EQ(strictly(row +
                           "001"
                           "00111"
                           "0000100" +
                           end,
                       16, 2),
              "a row longer than the page in row 2");
    // V0 then VR3 past the edge: b1 is the row's end.
    EXPECT_EQ(strictly(row +
                           "1"
                           "1"
                           "0000011" +
                           end,
                       16, 2),
              "a row longer than the page in row 2");
    // Under a black pixel at 8: V0 (black from 8), then VL2 back to 7.
    EXPECT_EQ(strictly("001"
                       "10011"
                       "010"
                       "1"
                       "1"
                       "000010" +
                           end,
                       16, 2),
              "a change of colour going back in row 2");
    // A pass needs a b2 before the end: above a white row there is none.
    EXPECT_EQ(strictly("0001" + end, 16, 1), "a pass beyond the row's end in row 1");
    EXPECT_EQ(strictly("0000001111" + end, 16, 1), "a code that is none in row 1");
}

// 100 x 1000 pixels at 96 dpi on A4 with margins and overlap of 10 mm: at the area's width a
// pixel is 5.39 points, the picture 5386 points tall, so eight pages, each area showing the next
// 756.85 points of it and nothing in the margins; one image serves them all.
TEST(TallPages, SplitTallPicturesShowTheirSlicesOfOneImage) {
    Stage stage;
    ASSERT_TRUE(
        writeBilevel(stage.path("00000.tif"),
                     {.width = 100, .height = 1000, .dark = [](int, int y) { return banded(y); }}));
    ASSERT_NO_FATAL_FAILURE(splitOnA4(stage, 8));

    constexpr int kDpi = 36;
    for (int page = 0; page < 8; ++page) {
        const Picture shown = render(stage.pdf(), page + 1, kDpi);
        ASSERT_EQ(shown.height, 421);
        std::vector<std::pair<double, bool>> samples;
        for (int py = 2; py < shown.height; py += 3) // down from the area's top
            samples.emplace_back((py + 0.5) * 72.0 / kDpi - kMargin,
                                 *shown.at(shown.width / 2, py) < 128);
        EXPECT_EQ(wrongSamples(page, samples, 1.0), 0) << "page " << page + 1;
    }
}

// Such a picture on its side as a JPEG, 1000 x 100 pixels at 96 dpi, on A4 with
// margins and overlap of 10 mm: at the landscape area's height a pixel is 5.39 points, the
// picture 5386 points wide, so eight landscape pages, each area showing the next 756.85 points
// of it from the left. Stored wide, or stored tall and turned by EXIF, alike; its bytes are
// stored once.
TEST(TallPages, SplitWidePicturesShowTheirSlicesLeftToRight) {
    for (const bool turned : {false, true}) {
        SCOPED_TRACE(turned ? "turned by EXIF" : "stored wide");
        Stage stage;
        // Stored tall, it is shown turned a quarter anticlockwise: its rows become columns.
        const JpegSpec spec = turned ? JpegSpec{.width = 100,
                                                .height = 1000,
                                                .densityUnit = 1,
                                                .xDensity = 96,
                                                .yDensity = 96,
                                                .exifOrientation = 8,
                                                .red = [](int, int y) { return banded(y); }}
                                     : JpegSpec{.width = 1000,
                                                .height = 100,
                                                .densityUnit = 1,
                                                .xDensity = 96,
                                                .yDensity = 96,
                                                .red = [](int x, int) { return banded(x); }};
        ASSERT_TRUE(writeJpeg(stage.path("00000.jpg"), spec));
        ASSERT_NO_FATAL_FAILURE(splitOnA4(stage, 8));
        QPDF pdf;
        pdf.processFile(stage.pdf().c_str());
        std::vector<PageInfo> pages = pagesOf(pdf);
        const auto raw = pages[0].image.getRawStreamData();
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(raw->getBuffer()), raw->getSize()),
                  readFile(stage.path("00000.jpg")));

        constexpr int kDpi = 36;
        for (int page = 0; page < 8; ++page) {
            EXPECT_NEAR(pages[static_cast<std::size_t>(page)].width, 841.89, 0.01);
            const Picture shown = render(stage.pdf(), page + 1, kDpi);
            ASSERT_EQ(shown.width, 421);
            std::vector<std::pair<double, bool>> samples;
            for (int px = 2; px < shown.width; px += 3) // red is dark in green
                samples.emplace_back((px + 0.5) * 72.0 / kDpi - kMargin,
                                     shown.at(px, shown.height / 2)[1] < 128);
            EXPECT_EQ(wrongSamples(page, samples, 1.5), 0) << "page " << page + 1;
        }
    }
}

// 1000 x 470 pixels at 96 dpi on A4 with margins of 10 mm: shown at the landscape area's
// height 1146 points wide, under 1.5 times the area's 785, so one landscape page. Forced
// portrait, the area is 539 wide and 785 high: 1671 points wide, four portrait pages.
TEST(TallPages, AWidePictureWithinTheRatioStaysOnOnePage) {
    for (const auto orientation :
         {pw::jobfiles::Orientation::Automatic, pw::jobfiles::Orientation::Portrait}) {
        const bool portrait = orientation == pw::jobfiles::Orientation::Portrait;
        Stage stage;
        ASSERT_TRUE(writeJpeg(
            stage.path("00000.jpg"),
            {.width = 1000, .height = 470, .densityUnit = 1, .xDensity = 96, .yDensity = 96}));
        const ToolRun run = runSplitOnA4(stage, 10, 0, orientation);
        ASSERT_EQ(run.exitCode, 0) << run.output;
        QPDF pdf;
        pdf.processFile(stage.pdf().c_str());
        const std::vector<PageInfo> pages = pagesOf(pdf);
        ASSERT_EQ(pages.size(), portrait ? 4u : 1u);
        for (const PageInfo& page : pages)
            EXPECT_NEAR(page.width, portrait ? 595.276 : 841.89, 0.01);
    }
}
