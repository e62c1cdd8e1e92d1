// pdf.exe run end to end on generated pictures.
#include "command_output.h"
#include "jobfiles/builder_output.h"
#include "jobfiles/docinfo.h"
#include "jobfiles/encryption.h"
#include "jobfiles/page_turns.h"
#include "jobfiles/picture_titles.h"
#include "jpeg_maker.h"
#include "pdf_probe.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFOutlineDocumentHelper.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <random>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

using namespace pw::pdftool;
using namespace pw::pdftool::test;
using namespace pw;

namespace {

// The progress words as the program reads them: split at single spaces, ending in ".jpg".
std::vector<std::string> progressWords(const std::string& output) {
    std::vector<std::string> words;
    std::size_t start = 0;
    while (start <= output.size()) {
        auto end = output.find(' ', start);
        if (end == std::string::npos)
            end = output.size();
        const std::string word = output.substr(start, end - start);
        if (word.size() > 4 && word.compare(word.size() - 4, 4, ".jpg") == 0)
            words.push_back(word);
        start = end + 1;
    }
    return words;
}

std::string stripNewlines(std::string word) {
    std::erase(word, '\n');
    std::erase(word, '\r');
    return word;
}

bool isRed(const unsigned char* p) {
    return p[0] > 200 && p[1] < 80 && p[2] < 80;
}
bool isWhite(const unsigned char* p) {
    return p[0] > 220 && p[1] > 220 && p[2] > 220;
}

} // namespace

TEST(PdfExe, PagesFollowTheNumericIndexAndKeepEveryByte) {
    Stage stage;
    // Widths tell the pages apart.
    const std::vector<std::pair<std::string, int>> files = {
        {"100000.jpg", 40}, {"00010.jpg", 20}, {"99999.jpg", 30}, {"00002.jpg", 10}};
    for (const auto& [name, width] : files)
        ASSERT_TRUE(writeJpeg(stage.path(name), {.width = width, .height = 16}));
    ASSERT_TRUE(writeJpeg(stage.path("1234.jpg"), {}));   // too few digits
    ASSERT_TRUE(writeJpeg(stage.path("00003.jpeg"), {})); // not ".jpg"
    ASSERT_TRUE(writeFile(stage.path("notes.txt"), "not a page"));

    const ToolRun run = runPdfExe(stage);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_FALSE(std::filesystem::exists(stage.path("tmpx.pdf")));
    ASSERT_EQ(qpdfCheck(stage.pdf()), 0);

    QPDF pdf;
    pdf.processFile(stage.pdf().c_str());
    auto pages = pagesOf(pdf);
    const std::vector<std::string> order = {"00002.jpg", "00010.jpg", "99999.jpg", "100000.jpg"};
    ASSERT_EQ(pages.size(), order.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        EXPECT_EQ(pages[i].image.getDict().getKey("/Width").getIntValue(), 10 * (int(i) + 1));
        const auto raw = pages[i].image.getRawStreamData();
        EXPECT_EQ(raw->getSize(), std::filesystem::file_size(stage.path(order[i])));
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(raw->getBuffer()), raw->getSize()),
                  readFile(stage.path(order[i])));
    }
    // pdfimages gives back the staged files unchanged.
    const std::string out = stage.cache() + "/extracted";
    ASSERT_EQ(std::system(("pdfimages -all '" + stage.pdf() + "' '" + out + "'").c_str()), 0);
    for (std::size_t i = 0; i < order.size(); ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "-%03zu.jpg", i);
        EXPECT_EQ(readFile(out + name), readFile(stage.path(order[i]))) << order[i];
    }

    // One progress word per page in page order, each followed by a space.
    const auto words = progressWords(run.output);
    ASSERT_EQ(words.size(), order.size()) << run.output;
    for (std::size_t i = 0; i < order.size(); ++i)
        EXPECT_EQ(stripNewlines(words[i]), order[i]);
    EXPECT_NE(run.output.find("Adding 00002.jpg \n"), std::string::npos);
}

TEST(PdfExe, ColourKindsAndProfilesAreDeclared) {
    Stage stage;
    const std::string rgbProfile = fakeIccProfile(150000, "RGB "); // needs three APP2 chunks
    ASSERT_TRUE(writeJpeg(stage.path("00000.jpg"), {.components = 1}));
    ASSERT_TRUE(writeJpeg(stage.path("00001.jpg"), {.components = 4}));
    ASSERT_TRUE(writeJpeg(stage.path("00002.jpg"), {.progressive = true}));
    ASSERT_TRUE(writeJpeg(stage.path("00003.jpg"), {.iccProfile = rgbProfile}));
    ASSERT_TRUE(writeJpeg(stage.path("00004.jpg"), {.iccProfile = rgbProfile}));
    // A profile for the wrong number of components would break the page: dropped.
    ASSERT_TRUE(writeJpeg(stage.path("00005.jpg"), {.iccProfile = fakeIccProfile(500, "CMYK")}));
    std::string otherProfile = rgbProfile; // same size, other content: a stream of its own
    otherProfile.back() ^= 1;
    ASSERT_TRUE(writeJpeg(stage.path("00006.jpg"), {.iccProfile = otherProfile}));

    const ToolRun run = runPdfExe(stage);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    ASSERT_EQ(qpdfCheck(stage.pdf()), 0);
    QPDF pdf;
    pdf.processFile(stage.pdf().c_str());
    auto pages = pagesOf(pdf);
    ASSERT_EQ(pages.size(), 7u);
    auto dict = [&pages](std::size_t i) { return pages[i].image.getDict(); };

    EXPECT_EQ(dict(0).getKey("/ColorSpace").unparse(), "/DeviceGray");
    EXPECT_EQ(dict(1).getKey("/ColorSpace").unparse(), "/DeviceCMYK");
    EXPECT_EQ(dict(1).getKey("/Decode").unparse(), "[ 1 0 1 0 1 0 1 0 ]");
    EXPECT_EQ(dict(2).getKey("/ColorSpace").unparse(), "/DeviceRGB");
    EXPECT_FALSE(dict(2).hasKey("/Decode"));
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(dict(i).getKey("/Filter").unparse(), "/DCTDecode");
        EXPECT_EQ(dict(i).getKey("/BitsPerComponent").getIntValue(), 8);
    }

    auto space = dict(3).getKey("/ColorSpace");
    ASSERT_TRUE(space.isArray());
    EXPECT_EQ(space.getArrayItem(0).unparse(), "/ICCBased");
    auto profile = space.getArrayItem(1);
    EXPECT_EQ(profile.getDict().getKey("/N").getIntValue(), 3);
    EXPECT_EQ(profile.getDict().getKey("/Alternate").unparse(), "/DeviceRGB");
    const auto data = profile.getStreamData(qpdf_dl_generalized);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(data->getBuffer()), data->getSize()),
              rgbProfile);
    EXPECT_EQ(dict(4).getKey("/ColorSpace").getArrayItem(1).getObjGen(), profile.getObjGen());
    EXPECT_EQ(dict(5).getKey("/ColorSpace").unparse(), "/DeviceRGB");
    auto other = dict(6).getKey("/ColorSpace").getArrayItem(1);
    EXPECT_NE(other.getObjGen(), profile.getObjGen());
    const auto otherData = other.getStreamData(qpdf_dl_generalized);
    EXPECT_EQ(
        std::string(reinterpret_cast<const char*>(otherData->getBuffer()), otherData->getSize()),
        otherProfile);

    // The inverted Adobe CMYK and the gray picture still show their red/dark corner.
    const Picture cmyk = render(stage.pdf(), 2, 72);
    ASSERT_GT(cmyk.width, 0);
    EXPECT_TRUE(isRed(cmyk.at(3, 3)));
    EXPECT_TRUE(isWhite(cmyk.at(cmyk.width - 3, cmyk.height - 3)));
    const Picture gray = render(stage.pdf(), 1, 72);
    ASSERT_GT(gray.width, 0);
    EXPECT_LT(gray.at(3, 3)[0], 60);
    EXPECT_TRUE(isWhite(gray.at(gray.width - 3, gray.height - 3)));
}

struct SizeCase {
    const char* name;
    JpegSpec spec;
    double width; // expected page size in points
    double height;
};

void PrintTo(const SizeCase& c, std::ostream* os) {
    *os << c.name;
}

class PageSize : public testing::TestWithParam<SizeCase> {};

TEST_P(PageSize, FollowsTheResolution) {
    Stage stage;
    ASSERT_TRUE(writeJpeg(stage.path("00000.jpg"), GetParam().spec));
    ASSERT_EQ(runPdfExe(stage).exitCode, 0);
    QPDF pdf;
    pdf.processFile(stage.pdf().c_str());
    auto pages = pagesOf(pdf);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_NEAR(pages[0].width, GetParam().width, 0.01);
    EXPECT_NEAR(pages[0].height, GetParam().height, 0.01);
}

INSTANTIATE_TEST_SUITE_P(
    PdfExe, PageSize,
    testing::Values(
        SizeCase{"Jfif72",
                 {.width = 300, .height = 150, .densityUnit = 1, .xDensity = 72, .yDensity = 72},
                 300,
                 150},
        SizeCase{"Jfif300",
                 {.width = 300, .height = 150, .densityUnit = 1, .xDensity = 300, .yDensity = 300},
                 72,
                 36},
        SizeCase{"JfifPerCm",
                 {.width = 254, .height = 127, .densityUnit = 2, .xDensity = 100, .yDensity = 100},
                 72,
                 36},
        SizeCase{"JfifAnisotropic",
                 {.width = 300, .height = 300, .densityUnit = 1, .xDensity = 150, .yDensity = 300},
                 144,
                 72},
        SizeCase{"None96", {.width = 96, .height = 48}, 72, 36},
        SizeCase{"AspectOnly96",
                 {.width = 96, .height = 48, .densityUnit = 0, .xDensity = 1, .yDensity = 1},
                 72,
                 36},
        SizeCase{"ZeroDensity96",
                 {.width = 96, .height = 48, .densityUnit = 1, .xDensity = 0, .yDensity = 0},
                 72,
                 36},
        SizeCase{"Exif300", {.width = 300, .height = 150, .exifResolution = 300}, 72, 36},
        SizeCase{"TurnedExif300",
                 {.width = 300, .height = 150, .exifOrientation = 6, .exifResolution = 300},
                 36,
                 72}),
    [](const auto& param) { return std::string(param.param.name); });

struct OrientationCase {
    int orientation;
    bool right; // where the stored top-left corner is shown
    bool bottom;
};

void PrintTo(const OrientationCase& c, std::ostream* os) {
    *os << c.orientation;
}

class Orientation : public testing::TestWithParam<OrientationCase> {};

TEST_P(Orientation, PageShowsThePictureUpright) {
    const auto [orientation, right, bottom] = GetParam();
    Stage stage;
    ASSERT_TRUE(writeJpeg(stage.path("00000.jpg"), {.width = 80,
                                                    .height = 40,
                                                    .densityUnit = 1,
                                                    .xDensity = 72,
                                                    .yDensity = 72,
                                                    .exifOrientation = orientation}));
    ASSERT_EQ(runPdfExe(stage).exitCode, 0);
    ASSERT_EQ(qpdfCheck(stage.pdf()), 0);
    const bool turned = orientation >= 5;
    const Picture page = render(stage.pdf(), 1, 72);
    ASSERT_EQ(page.width, turned ? 40 : 80);
    ASSERT_EQ(page.height, turned ? 80 : 40);
    // The red block covers a quarter of each side of the stored picture.
    const int x = right ? page.width - 4 : 3;
    const int y = bottom ? page.height - 4 : 3;
    EXPECT_TRUE(isRed(page.at(x, y))) << "orientation " << orientation;
    EXPECT_TRUE(isWhite(page.at(page.width - 1 - x, page.height - 1 - y)));
    EXPECT_TRUE(isWhite(page.at(right ? 3 : page.width - 4, y))); // not mirrored the other way
}

INSTANTIATE_TEST_SUITE_P(
    PdfExe, Orientation,
    testing::Values(OrientationCase{1, false, false}, OrientationCase{2, true, false},
                    OrientationCase{3, true, true}, OrientationCase{4, false, true},
                    OrientationCase{5, false, false}, OrientationCase{6, true, false},
                    OrientationCase{7, true, true}, OrientationCase{8, false, true}));

// The user's turn on top of EXIF's: a turn of the shown picture, mirrored ones staying mirrored,
// every page of a picture alike; only the page changes, never the JPEG.
TEST(PdfExe, TurnedPagesComposeWithExifAndKeepEveryByte) {
    Stage stage;
    struct Turned {
        const char* name;
        int exif;
        bool right; // where the stored top-left corner is shown
        bool bottom;
        bool tall;
    };
    const Turned cases[] = {
        {"00000.jpg", 6, true, true, false},      // 90 + 90: half way round
        {"00001.jpg", 2, true, true, true},       // mirrored, then 90: orientation 7
        {"00002.jpg", 0, false, true, true},      // 270
        {"00003.jpg", 0, true, false, true},      // 90
        {"00003_0002.jpg", 0, true, false, true}, // its second page
        {"00004.jpg", 0, false, false, false},    // not listed
    };
    for (const Turned& c : cases) {
        ASSERT_TRUE(writeJpeg(stage.path(c.name), {.width = 80,
                                                   .height = 40,
                                                   .densityUnit = 1,
                                                   .xDensity = 72,
                                                   .yDensity = 72,
                                                   .exifOrientation = c.exif}));
    }
    ASSERT_TRUE(
        pw::jobfiles::writePageTurns(stage.folder(), {{0, 90}, {1, 90}, {2, 270}, {3, 90}}));
    ASSERT_EQ(runPdfExe(stage).exitCode, 0);
    ASSERT_EQ(qpdfCheck(stage.pdf()), 0);

    const std::string out = stage.cache() + "/extracted";
    ASSERT_EQ(std::system(("pdfimages -all '" + stage.pdf() + "' '" + out + "'").c_str()), 0);
    for (int i = 0; i < 6; ++i) {
        const Turned& c = cases[i];
        const Picture page = render(stage.pdf(), i + 1, 72);
        ASSERT_EQ(page.width, c.tall ? 40 : 80) << c.name;
        ASSERT_EQ(page.height, c.tall ? 80 : 40) << c.name;
        const int x = c.right ? page.width - 4 : 3;
        const int y = c.bottom ? page.height - 4 : 3;
        EXPECT_TRUE(isRed(page.at(x, y))) << c.name;
        EXPECT_TRUE(isWhite(page.at(page.width - 1 - x, page.height - 1 - y))) << c.name;
        EXPECT_TRUE(isWhite(page.at(c.right ? 3 : page.width - 4, y))) << c.name;
        char name[32];
        std::snprintf(name, sizeof name, "-%03d.jpg", i);
        EXPECT_EQ(readFile(out + name), readFile(stage.path(c.name))) << c.name;
    }
}

TEST(PdfExe, OddSizesAndBrokenExifStillGiveValidPages) {
    Stage stage;
    ASSERT_TRUE(writeJpeg(stage.path("00000.jpg"), {.width = 1, .height = 1}));
    ASSERT_TRUE(writeJpeg(stage.path("00001.jpg"), {.width = 20000, .height = 200}));
    ASSERT_TRUE(writeJpeg(stage.path("00002.jpg"), {.width = 20000, .height = 1}));
    ASSERT_TRUE(
        writeJpeg(stage.path("00003.jpg"), {.width = 60, .height = 30, .brokenExif = true}));
    ASSERT_EQ(runPdfExe(stage).exitCode, 0);
    ASSERT_EQ(qpdfCheck(stage.pdf()), 0);
    QPDF pdf;
    pdf.processFile(stage.pdf().c_str());
    auto pages = pagesOf(pdf);
    ASSERT_EQ(pages.size(), 4u);
    for (const auto& page : pages) {
        EXPECT_GE(page.width, 3.0);
        EXPECT_GE(page.height, 3.0);
        EXPECT_LE(page.width, 14400.0);
        EXPECT_LE(page.height, 14400.0);
    }
    EXPECT_NEAR(pages[0].width, pages[0].height, 1e-6); // square stays square
    EXPECT_NEAR(pages[1].width / pages[1].height, 100.0, 0.1);
    EXPECT_NEAR(pages[1].width * pages[1].userUnit, 15000.0, 5.0); // 20000 px at 96 dpi
    EXPECT_GE(pdf.getPDFVersion(), "1.6");                         // UserUnit needs it
    EXPECT_NEAR(pages[3].width, 45.0, 0.01);                       // broken EXIF: as stored, 96 dpi
    EXPECT_NEAR(pages[3].height, 22.5, 0.01);
}

TEST(PdfExe, UnusableFilesAreSkippedAndTheRestWritten) {
    Stage stage;
    ASSERT_TRUE(writeJpeg(stage.path("00000.jpg"), {}));
    const std::string good = readFile(stage.path("00000.jpg"));
    ASSERT_TRUE(writeFile(stage.path("00001.jpg"), good.substr(0, good.size() / 2)));
    ASSERT_TRUE(writeFile(stage.path("00002.jpg"), "GIF89a this is no JPEG at all"));
    ASSERT_TRUE(writeFile(stage.path("00003.jpg"), ""));
    std::string twelveBit = good;
    const auto sof = twelveBit.find("\xFF\xC0");
    ASSERT_NE(sof, std::string::npos);
    twelveBit[sof + 4] = 12; // sample precision
    ASSERT_TRUE(writeFile(stage.path("00004.jpg"), twelveBit));
    ASSERT_TRUE(writeFile(stage.path("00005.jpg"), good + std::string(20000, 'x'))); // trailer
    ASSERT_TRUE(writeFile(stage.path("00006.jpg"), good.substr(0, good.size() - 2)));
    std::string huge = good; // 65500 x 65500 claimed in a few hundred bytes
    huge.replace(sof + 5, 4, "\xFF\xDC\xFF\xDC");
    ASSERT_TRUE(writeFile(stage.path("00007.jpg"), huge));

    const ToolRun run = runPdfExe(stage);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    ASSERT_EQ(qpdfCheck(stage.pdf()), 0);
    QPDF pdf;
    pdf.processFile(stage.pdf().c_str());
    EXPECT_EQ(pagesOf(pdf).size(), 2u);
    EXPECT_NE(run.output.find("Skipped 00007.jpg: 65500 x 65500 pixels reaches the limit"),
              std::string::npos)
        << run.output;
    for (const char* name : {"00001", "00002", "00003", "00004", "00006"})
        EXPECT_NE(run.output.find(std::string("Skipped ") + name + ".jpg:"), std::string::npos)
            << name << "\n"
            << run.output;
    const auto words = progressWords(run.output);
    ASSERT_EQ(words.size(), 2u) << run.output; // skip lines are no progress words
}

// Each staged entry that does not become a page gets its own line, however many there are:
// the job names the missing pictures from them.
TEST(PdfExe, EveryUnusableEntryIsNamedAndCounted) {
    Stage stage;
    ASSERT_TRUE(writeJpeg(stage.path("00000.jpg"), {}));
    const std::string good = readFile(stage.path("00000.jpg"));
    const auto name = [](int i) {
        char text[16];
        std::snprintf(text, sizeof text, "%05d.jpg", i);
        return std::string(text);
    };
    for (int i = 1; i <= 60; ++i)
        ASSERT_TRUE(writeFile(stage.path(name(i)), "broken"));
    ASSERT_EQ(::symlink("nowhere.jpg", stage.path(name(61)).c_str()), 0);
    ASSERT_TRUE(std::filesystem::create_directory(stage.path(name(62))));
    ASSERT_EQ(::mkfifo(stage.path(name(63)).c_str(), 0600), 0); // opening it would hang
    // Legal JPEGs that decoders refuse: Cb sampled 3x1 beside Y 2x2, and a second scan after
    // a complete sequential one.
    std::string fractional = good;
    const auto frame = fractional.find("\xFF\xC0");
    ASSERT_NE(frame, std::string::npos);
    fractional[frame + 14] = '\x31';
    ASSERT_TRUE(writeFile(stage.path(name(64)), fractional));
    const auto scan = good.find("\xFF\xDA");
    const std::string body = good.substr(0, good.size() - 2);
    ASSERT_TRUE(writeFile(stage.path(name(65)), body + body.substr(scan) + "\xFF\xD9"));

    const ToolRun run = runPdfExe(stage);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(qpdfCheck(stage.pdf()), 0);
    for (int i = 1; i <= 65; ++i)
        EXPECT_NE(run.output.find("Skipped " + name(i) + ":"), std::string::npos) << i;
    EXPECT_NE(run.output.find("Skipped " + name(64) + ": fractional chroma sampling"),
              std::string::npos);
    EXPECT_NE(run.output.find("Wrote 1 of 66 pages"), std::string::npos) << run.output;
}

TEST(PdfExe, FailedRunsLeaveNoPdf) {
    Stage stage;
    ASSERT_TRUE(writeFile(stage.pdf(), "stale result of an earlier run"));
    ToolRun run = runPdfExe(stage);
    EXPECT_NE(run.exitCode, 0);
    EXPECT_FALSE(run.output.empty());
    EXPECT_FALSE(std::filesystem::exists(stage.pdf())) << "empty folder";

    ASSERT_TRUE(writeFile(stage.path("00000.jpg"), "broken"));
    run = runPdfExe(stage);
    EXPECT_NE(run.exitCode, 0);
    EXPECT_FALSE(std::filesystem::exists(stage.pdf())) << "nothing usable";

    ASSERT_TRUE(writeJpeg(stage.path("00001.jpg"), {}));
    for (const char* arguments : {"", "/ASK", "/NOASK extra", "/NOASK /tmp extra"}) {
        run = runPdfExe(stage, arguments);
        EXPECT_NE(run.exitCode, 0) << arguments;
        EXPECT_NE(run.output.find("Usage"), std::string::npos);
        EXPECT_FALSE(std::filesystem::exists(stage.pdf())) << arguments;
    }
    EXPECT_EQ(runPdfExe(stage).exitCode, 0);
    EXPECT_TRUE(std::filesystem::exists(stage.pdf()));
}

// A job's own staging folder, given after /NOASK: the builder reads and writes there only.
TEST(PdfExe, BuildsInTheFolderGiven) {
    Stage stage;
    Stage job;
    ASSERT_TRUE(writeJpeg(stage.path("00000.jpg"), {}));
    ASSERT_TRUE(writeJpeg(job.path("00000.jpg"), {}));
    ASSERT_TRUE(writeJpeg(job.path("00001.jpg"), {}));
    const ToolRun run = runPdfExe(stage, "/NOASK '" + job.folder() + "'");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("Wrote 2 of 2 pages"), std::string::npos) << run.output;
    EXPECT_EQ(qpdfCheck(job.pdf()), 0);
    EXPECT_FALSE(std::filesystem::exists(stage.pdf()));
    EXPECT_NE(runPdfExe(stage, "/NOASK '" + job.path("missing") + "'").exitCode, 0);
}

TEST(PdfExe, ProgressStaysSmallForHugeJobs) {
    Stage stage;
    ASSERT_TRUE(writeJpeg(stage.path("00000.jpg"), {.width = 8, .height = 8}));
    const std::string picture = readFile(stage.path("00000.jpg"));
    const int count = 1000;
    for (int i = 1; i < count; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "%05d.jpg", i);
        ASSERT_TRUE(writeFile(stage.path(name), picture));
    }
    const ToolRun run = runPdfExe(stage);
    ASSERT_EQ(run.exitCode, 0);
    EXPECT_EQ(qpdfCheck(stage.pdf()), 0);
    const auto words = progressWords(run.output);
    EXPECT_GE(words.size(), 190u);
    EXPECT_LE(words.size(), 201u);
    ASSERT_FALSE(words.empty());
    EXPECT_EQ(stripNewlines(words.back()), "00999.jpg");
    int previous = -1;
    for (const auto& word : words) { // ascending, spread out
        const int index = std::stoi(stripNewlines(word));
        EXPECT_GT(index, previous);
        EXPECT_LE(index - previous, 2 * count / 200);
        previous = index;
    }
    QPDF pdf;
    pdf.processFile(stage.pdf().c_str());
    EXPECT_EQ(pdf.getRoot().getKey("/Pages").getKey("/Count").getIntValue(), count);
}

TEST(PdfExe, DocumentInformationComesFromThePropertiesFile) {
    Stage stage;
    ASSERT_TRUE(writeJpeg(stage.path("00000.jpg"), {}));
    jobfiles::DocInfo info{"Zoë's Ωmega\nalbum", "Jürgen", "Trip", "sea, sun",
                           "D:20261208140000-06'00"};
    ASSERT_TRUE(pw::jobfiles::writeDocInfo(stage.folder(), info));
    ASSERT_EQ(runPdfExe(stage).exitCode, 0);
    EXPECT_EQ(qpdfCheck(stage.pdf()), 0);
    QPDF pdf;
    pdf.processFile(stage.pdf().c_str());
    auto dict = pdf.getTrailer().getKey("/Info");
    EXPECT_EQ(dict.getKey("/Title").getUTF8Value(), info.title);
    EXPECT_EQ(dict.getKey("/Author").getUTF8Value(), info.author);
    EXPECT_EQ(dict.getKey("/Subject").getUTF8Value(), info.subject);
    EXPECT_EQ(dict.getKey("/Keywords").getUTF8Value(), info.keywords);
    EXPECT_EQ(dict.getKey("/CreationDate").getUTF8Value(), info.creationDate);
    EXPECT_NE(dict.getKey("/Producer").getUTF8Value().find("Pagewright"), std::string::npos);

    // Without the file: no properties, but still a producer and a creation date.
    std::filesystem::remove(stage.path(jobfiles::kDocInfoFileName));
    ASSERT_EQ(runPdfExe(stage).exitCode, 0);
    QPDF plain;
    plain.processFile(stage.pdf().c_str());
    auto bare = plain.getTrailer().getKey("/Info");
    EXPECT_FALSE(bare.hasKey("/Title"));
    EXPECT_NE(bare.getKey("/Producer").getUTF8Value().find("Pagewright"), std::string::npos);
    EXPECT_TRUE(pw::jobfiles::isPdfDate(bare.getKey("/CreationDate").getUTF8Value()));
}

TEST(PdfExe, DamagedPicturesNeverBreakThePdf) {
    // Random damage anywhere in headers and data of several kinds of JPEG: whatever is
    // embedded must still decode, so qpdf --check (which decodes every image) stays clean.
    Stage stage;
    const std::vector<JpegSpec> kinds = {
        {.width = 48, .height = 32, .progressive = true},
        {.width = 40, .height = 24, .exifOrientation = 6},
        {.width = 32, .height = 32, .components = 4},
        {.width = 24, .height = 40, .components = 1, .progressive = true}};
    std::vector<std::string> sources;
    for (const JpegSpec& kind : kinds) {
        ASSERT_TRUE(writeJpeg(stage.path("source.tmp"), kind));
        sources.push_back(readFile(stage.path("source.tmp")));
    }
    std::filesystem::remove(stage.path("source.tmp"));
    std::mt19937 random(11);
    const int count = 240;
    for (int i = 0; i < count; ++i) {
        std::string data = sources[static_cast<std::size_t>(i) % sources.size()];
        const int hits = 1 + static_cast<int>(random() % 4);
        for (int k = 0; k < hits; ++k)
            data[random() % data.size()] = static_cast<char>(random());
        // Every third one also gets other sampling factors, which decoders refuse unless
        // each divides the largest.
        const auto frame = std::min(data.find("\xFF\xC0"), data.find("\xFF\xC2"));
        if (i % 3 == 0 && frame != std::string::npos && frame + 14 < data.size())
            data[frame + 11 + 3 * (random() % 2)] = static_cast<char>(0x11 + random() % 4 * 0x10);
        char name[16];
        std::snprintf(name, sizeof name, "%05d.jpg", i);
        ASSERT_TRUE(writeFile(stage.path(name), data));
    }
    const ToolRun run = runPdfExe(stage);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(qpdfCheck(stage.pdf()), 0);
    QPDF pdf;
    pdf.processFile(stage.pdf().c_str());
    const auto pages = pdf.getRoot().getKey("/Pages").getKey("/Count").getIntValue();
    EXPECT_GT(pages, count / 10); // damage in picture data alone is kept
    EXPECT_LT(pages, count);      // damage in tables is refused
}

// The passwords come on standard input: AES-256 with the permissions asked for; an owner
// password alone leaves the PDF open to all, with the permissions.
TEST(PdfExe, EncryptsWithAes256AndThePermissionsGiven) {
    Stage stage;
    ASSERT_TRUE(writeJpeg(stage.path("00000.jpg"), {}));
    ASSERT_TRUE(writeJpeg(stage.path("00001.jpg"), {}));
    const std::string input = stage.cache() + "/input.txt";
    const auto build = [&](const jobfiles::Encryption& encryption) {
        EXPECT_TRUE(writeFile(input, jobfiles::encryptionText(encryption)));
        return runPdfExe(stage, "/NOASK /ENCRYPT '" + stage.folder() + "' < '" + input + "'");
    };
    const auto qpdf = [&](const std::string& options) {
        return pw::test::commandOutput("qpdf " + options + " '" + stage.pdf() + "' 2>&1");
    };

    ToolRun run = build({"öpen sesame", "", false, true});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(qpdf("--password='öpen sesame' --show-npages"), "2\n");
    EXPECT_NE(qpdf("--show-npages").find("invalid password"), std::string::npos);
    EXPECT_NE(qpdf("--password=wrong --show-npages").find("invalid password"), std::string::npos);
    std::string shown = qpdf("--password='öpen sesame' --show-encryption");
    EXPECT_NE(shown.find("R = 6\n"), std::string::npos) << shown;
    EXPECT_NE(shown.find("file encryption method: AESv3"), std::string::npos) << shown;
    EXPECT_NE(shown.find("print high resolution: not allowed"), std::string::npos) << shown;
    EXPECT_NE(shown.find("extract for any purpose: allowed"), std::string::npos) << shown;
    // No owner password was given: the open one is no owner password.
    EXPECT_NE(shown.find("Supplied password is user password"), std::string::npos) << shown;

    run = build({"", "boss", true, false});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(qpdf("--show-npages"), "2\n");
    shown = qpdf("--show-encryption");
    EXPECT_NE(shown.find("R = 6\n"), std::string::npos) << shown;
    EXPECT_NE(shown.find("print high resolution: allowed"), std::string::npos) << shown;
    EXPECT_NE(shown.find("extract for any purpose: not allowed"), std::string::npos) << shown;
    EXPECT_NE(qpdf("--password=boss --show-encryption").find("Supplied password is owner password"),
              std::string::npos);

    // A password longer than readers use (127 bytes) still opens the PDF as typed.
    const std::string longPassword(200, 'k');
    run = build({longPassword, "", true, true});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(qpdf("--password=" + longPassword + " --show-npages"), "2\n");

    // Asked to encrypt without passwords: no PDF rather than an open one.
    ASSERT_TRUE(writeFile(input, ""));
    run = runPdfExe(stage, "/NOASK /ENCRYPT '" + stage.folder() + "' < '" + input + "'");
    EXPECT_EQ(run.exitCode, jobfiles::kExitWriteFailed) << run.output;
    EXPECT_FALSE(std::filesystem::exists(stage.pdf()));
}

// With titles.txt every picture has an outline entry at its first page, a several-page one a
// child per page; titles outside PDFDocEncoding survive. Without it there is no outline.
TEST(PdfExe, BookmarksFollowThePicturesWithTheirTitles) {
    Stage stage;
    for (const char* name :
         {"00000.jpg", "00002.jpg", "00002_0002.jpg", "00002_0003.jpg", "00005.jpg", "00007.jpg"})
        ASSERT_TRUE(writeJpeg(stage.path(name), {}));
    ASSERT_TRUE(writeFile(stage.path("00005.jpg"), "broken")); // skipped: no entry
    ASSERT_TRUE(pw::jobfiles::writePictureTitles(
        stage.folder(), {{0, "Sunrise"}, {2, "Zoë's Ωmega 日本"}, {5, "Lost"}}));
    ASSERT_EQ(runPdfExe(stage).exitCode, 0);
    EXPECT_EQ(qpdfCheck(stage.pdf()), 0);
    QPDF pdf;
    pdf.processFile(stage.pdf().c_str());
    QPDFOutlineDocumentHelper outlines(pdf);
    const auto pageOf = [&](QPDFOutlineObjectHelper& item) {
        const QPDFObjectHandle page = item.getDestPage();
        const auto all = QPDFPageDocumentHelper(pdf).getAllPages();
        for (std::size_t i = 0; i < all.size(); ++i)
            if (all[i].getObjectHandle().getObjGen() == page.getObjGen())
                return static_cast<int>(i) + 1;
        return 0;
    };
    std::vector<QPDFOutlineObjectHelper> top = outlines.getTopLevelOutlines();
    ASSERT_EQ(top.size(), 3u);
    EXPECT_EQ(top[0].getTitle(), "Sunrise");
    EXPECT_EQ(pageOf(top[0]), 1);
    EXPECT_TRUE(top[0].getKids().empty());
    EXPECT_EQ(top[1].getTitle(), "Zoë's Ωmega 日本");
    EXPECT_EQ(pageOf(top[1]), 2);
    std::vector<QPDFOutlineObjectHelper> kids = top[1].getKids();
    ASSERT_EQ(kids.size(), 3u);
    for (std::size_t i = 0; i < kids.size(); ++i) {
        EXPECT_EQ(kids[i].getTitle(), "Page " + std::to_string(i + 1));
        EXPECT_EQ(pageOf(kids[i]), static_cast<int>(i) + 2);
    }
    EXPECT_EQ(top[2].getTitle(), "00007"); // no title given
    EXPECT_EQ(pageOf(top[2]), 5);

    std::filesystem::remove(stage.path(jobfiles::kPictureTitlesFileName));
    ASSERT_EQ(runPdfExe(stage).exitCode, 0);
    QPDF plain;
    plain.processFile(stage.pdf().c_str());
    EXPECT_FALSE(plain.getRoot().hasKey("/Outlines"));
}
