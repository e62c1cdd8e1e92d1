// The builder's parts that take hostile input: EXIF blocks, JPEG headers, the properties file.
#include "formats/exif.h"
#include "formats/jpeg_info.h"
#include "jobfiles/docinfo.h"
#include "jobfiles/page_turns.h"
#include "jpeg_maker.h"
#include "outside/pdftool/staged_files.h"
#include "pdf_probe.h"

#include <gtest/gtest.h>
#include <random>

using namespace pw::pdftool;
using namespace pw::pdftool::test;
using namespace pw;

namespace {

std::string exifOf(const std::string& jpeg) {
    const auto at = jpeg.find("Exif");
    if (at == std::string::npos || at < 4)
        return {};
    const auto length =
        static_cast<unsigned char>(jpeg[at - 2]) << 8 | static_cast<unsigned char>(jpeg[at - 1]);
    return jpeg.substr(at, static_cast<std::size_t>(length) - 2);
}

formats::ExifFields parse(const std::string& block) {
    return formats::parseExif(reinterpret_cast<const std::uint8_t*>(block.data()), block.size());
}

} // namespace

TEST(Exif, ReadsFieldsAndSurvivesDamage) {
    Stage stage;
    ASSERT_TRUE(writeJpeg(stage.path("a.jpg"), {.exifOrientation = 6, .exifResolution = 300}));
    const std::string block = exifOf(readFile(stage.path("a.jpg")));
    ASSERT_FALSE(block.empty());
    const formats::ExifFields whole = parse(block);
    EXPECT_EQ(whole.orientation, 6);
    EXPECT_DOUBLE_EQ(whole.xResolution, 300.0);
    EXPECT_DOUBLE_EQ(whole.yResolution, 300.0);

    // Every prefix and random corruption parses without reading out of bounds.
    for (std::size_t size = 0; size < block.size(); ++size) {
        std::string prefix = block.substr(0, size);
        prefix.shrink_to_fit(); // lets a sanitizer see overreads
        const formats::ExifFields fields = parse(prefix);
        EXPECT_TRUE(fields.orientation == 0 || fields.orientation == 6);
    }
    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        std::string damaged = block;
        for (int k = 0; k < 4; ++k)
            damaged[6 + random() % (damaged.size() - 6)] = static_cast<char>(random());
        const formats::ExifFields fields = parse(damaged);
        EXPECT_GE(fields.orientation, 0);
        EXPECT_LE(fields.orientation, 8);
        EXPECT_GE(fields.xResolution, 0.0);
    }
    EXPECT_EQ(parse("Exif\0\0MM\0\x2a\xff\xff\xff\xf0").orientation, 0);
}

TEST(JpegInfo, RejectsEveryTruncationAndOddFormats) {
    Stage stage;
    ASSERT_TRUE(writeJpeg(stage.path("p.jpg"), {.width = 40, .height = 30, .progressive = true}));
    const std::string good = readFile(stage.path("p.jpg"));
    std::string reason;
    const auto info = formats::readJpegInfo(stage.path("p.jpg"), reason);
    ASSERT_TRUE(info) << reason;
    EXPECT_TRUE(info->progressive);
    EXPECT_EQ(info->fileSize, good.size());

    for (std::size_t size = 0; size < good.size(); size += 7) {
        ASSERT_TRUE(writeFile(stage.path("cut.jpg"), good.substr(0, size)));
        EXPECT_FALSE(pw::formats::readJpegInfo(stage.path("cut.jpg"), reason)) << size;
    }
    // The end marker at the end of the data, then a trailer: accepted.
    ASSERT_TRUE(writeFile(stage.path("trail.jpg"), good + "\r\n" + std::string(9000, 'z')));
    EXPECT_TRUE(pw::formats::readJpegInfo(stage.path("trail.jpg"), reason)) << reason;
    EXPECT_FALSE(pw::formats::readJpegInfo(stage.folder(), reason)); // a folder is no picture
}

TEST(DocInfo, FileRoundTripsAnyText) {
    Stage stage;
    const jobfiles::DocInfo info{"a\\n is not\na newline\r\tx\\", "Ünï", "", "k=v",
                                 jobfiles::pdfDate(0)};
    ASSERT_TRUE(pw::jobfiles::writeDocInfo(stage.folder(), info));
    const auto read = jobfiles::readDocInfo(stage.path(jobfiles::kDocInfoFileName));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->title, info.title);
    EXPECT_EQ(read->author, info.author);
    EXPECT_EQ(read->keywords, info.keywords);
    EXPECT_EQ(read->creationDate, info.creationDate);
    EXPECT_TRUE(pw::jobfiles::isPdfDate(info.creationDate));
    for (const char* bad : {"", "20261208", "D:2026", "D:20261208140000+6", "D:2026120814000x"})
        EXPECT_FALSE(pw::jobfiles::isPdfDate(bad)) << bad;
    EXPECT_FALSE(pw::jobfiles::readDocInfo(stage.path("missing.txt")));
}

TEST(StagedFiles, NamesNeedFiveDigitsAndJpg) {
    for (const char* name :
         {"00000.jpg", "123456.JPG", "00001.Jpg", "00001_0002.jpg", "00001_10000.png"})
        EXPECT_TRUE(pw::jobfiles::isStagedName(name)) << name;
    for (const char* name : {"0000.jpg", "0000a.jpg", "00000.jpeg", "00000jpg", ".jpg", "tmp.pdf",
                             "00001_002.jpg", "00001_.jpg", "0001_0002.jpg", "00001_000a.jpg"})
        EXPECT_FALSE(pw::jobfiles::isStagedName(name)) << name;
}

TEST(PageTurns, KeyedByPictureIndexWhateverTheLineOrPageName) {
    Stage stage;
    ASSERT_TRUE(
        writeFile(stage.path(pw::jobfiles::kPageTurnsFileName),
                  "\xEF\xBB\xBF"
                  "00003=90\r\n7=-90\n00002=180\n00002=0\n00004=45\nx=90\n"
                  "0000000000000000000000000009=270\n1234567890123456789=90\n00005=99999999999\n"
                  "00006=90=90\n"));
    const jobfiles::PageTurns turns =
        jobfiles::readPageTurns(stage.path(jobfiles::kPageTurnsFileName));
    EXPECT_EQ(turns, (jobfiles::PageTurns{{3, 90}, {7, 270}, {9, 270}}));
    EXPECT_EQ(jobfiles::turnOfStagedName(turns, "00003_0002.png"), 90);
    EXPECT_EQ(jobfiles::turnOfStagedName(turns, "000007.JPG"), 270);
    EXPECT_EQ(jobfiles::turnOfStagedName(turns, "00002.jpg"), 0);
    EXPECT_EQ(jobfiles::turnOfStagedName(turns, "00003.txt"), 0);
    EXPECT_EQ(jobfiles::turnOfStagedName(turns, "1000000000000000000003.jpg"), 0);

    ASSERT_TRUE(pw::jobfiles::writePageTurns(stage.folder(), {{12, 450}, {13, 0}, {100000, -90}}));
    EXPECT_EQ(readFile(stage.path(jobfiles::kPageTurnsFileName)), "00012=90\n100000=270\n");
    EXPECT_TRUE(pw::jobfiles::readPageTurns(stage.path("missing.txt")).empty());
}
