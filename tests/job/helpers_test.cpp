#include "app/job_session.h"
#include "fake_job_host.h"
#include "fake_prompts.h"
#include "job/ConversionJob.h"
#include "job/document_date.h"
#include "job/missing_pictures.h"
#include "job/result_placement.h"
#include "job/tool_output.h"
#include "platform/path_parts.h"
#include "platform/remove_folder_tree.h"
#include "temp_folder.h"
#include "test_pictures.h"

#include <barrier>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace pw;

TEST(PathParts, ExtensionBaseNameAndFolder) {
    EXPECT_EQ(platform::pathPart("/pics/a.b.png", 0), "png");
    EXPECT_EQ(platform::pathPart("/pics/noext", 0), "/pics/noext");
    EXPECT_EQ(platform::pathPart("/pics.d/noext", 0), "d/noext"); // a dot in a folder name counts
    EXPECT_EQ(platform::pathPart("/pics/a.b.png", 1), "a.b.png");
    EXPECT_EQ(platform::pathPart("/pics/a.b.png", 2), "a");
    EXPECT_EQ(platform::pathPart("/pics/a.b.png", 3), "/pics");
    EXPECT_EQ(platform::pathPart("a.png", 3), "");
    EXPECT_EQ(platform::fileBaseName("/pics/a.b.png"), "a.b");
    EXPECT_EQ(platform::fileBaseName("/pics/noext"), "");
    EXPECT_EQ(platform::fileBaseName("/pics.d/noext"), "");
    EXPECT_EQ(platform::fileBaseName(""), "");
    EXPECT_EQ(platform::fileBaseName(".hidden"), "");
    EXPECT_EQ(platform::textBefore("a.b.c", '.'), "a");
    EXPECT_EQ(platform::textBefore("abc", '.'), "abc");
}

// Two jobs placing a PDF of the same name into one folder at the same moment: each gets a name
// of its own and neither replaces the other.
TEST(PlaceUnderFreeName, RacingPlacementsNeverReplaceEachOther) {
    const test::TempFolder temp("pw-place");
    ASSERT_TRUE(temp.ok());
    constexpr int kRounds = 400;
    std::barrier start(2);
    std::vector<std::string> placed[2];
    const auto place = [&](int job) {
        for (int round = 0; round < kRounds; ++round) {
            const std::string source = temp / ("job" + std::to_string(job));
            test::writeBytes(source, std::to_string(job));
            start.arrive_and_wait();
            std::string reason;
            placed[job].push_back(job::placeUnderFreeName(
                source, temp.path(), job::numberedNames('r' + std::to_string(round) + "_.pdf"), 5,
                reason));
        }
    };
    std::thread other(place, 1);
    place(0);
    other.join();
    for (int round = 0; round < kRounds; ++round) {
        const std::string& first = placed[0][static_cast<std::size_t>(round)];
        const std::string& second = placed[1][static_cast<std::size_t>(round)];
        ASSERT_NE(first, second) << round;
        EXPECT_EQ(test::readBytes(first) + test::readBytes(second), "01") << round;
    }

    // Across file systems the result is copied, and a taken name is still passed over.
    struct stat here {};
    struct stat shm {};
    if (::stat(temp.path().c_str(), &here) != 0 || ::stat("/dev/shm", &shm) != 0 ||
        here.st_dev == shm.st_dev)
        return;
    const std::string source = "/dev/shm/pw-place-" + std::to_string(::getpid());
    test::writeBytes(source, "copied");
    std::string reason;
    EXPECT_EQ(
        job::placeUnderFreeName(source, temp.path(), job::numberedNames("r0_.pdf"), 5, reason),
        temp / "r0_2.pdf");
    EXPECT_EQ(test::readBytes(temp / "r0_2.pdf"), "copied");
    EXPECT_EQ(std::distance(fs::directory_iterator(temp.path()), fs::directory_iterator()),
              2 * kRounds + 1); // no copy left behind
    ::unlink(source.c_str());
}

TEST(RemoveFolderTree, RemovesEverythingButNeverFollowsALink) {
    test::TempFolder temp;
    const std::string tree = temp / "tree";
    const std::string outside = temp / "outside";
    fs::create_directories(tree + "/nested/deeper");
    fs::create_directories(outside);
    test::writeBytes(outside + "/keep.txt", "keep");
    test::writeBytes(tree + "/readonly.txt", "x");
    chmod((tree + "/readonly.txt").c_str(), 0444);
    test::writeBytes(tree + "/nested/deeper/file.txt", "x");
    chmod((tree + "/nested").c_str(), 0555); // a read-only folder is emptied too
    fs::create_directory_symlink(outside, tree + "/link");
    fs::create_symlink(outside + "/keep.txt", tree + "/nested/filelink");

    platform::removeFolderTree(tree);
    EXPECT_FALSE(fs::exists(fs::symlink_status(tree)));
    EXPECT_EQ(test::readBytes(outside + "/keep.txt"), "keep");
    EXPECT_EQ(fs::status(outside + "/keep.txt").permissions() & fs::perms::owner_write,
              fs::perms::owner_write); // the link's target kept its mode
    platform::removeFolderTree(temp / "missing");
    EXPECT_FALSE(fs::exists(temp / "missing"));
}

// Handlers of the builder's output, fed chunk by chunk.
struct ToolOutputCase {
    int fileCount;
    std::vector<std::string> chunks;
    std::string lastText; // "" when no text is shown
    double barPercent;
};

void PrintTo(const ToolOutputCase& c, std::ostream* out) {
    *out << (c.lastText.empty() ? "no move" : c.lastText);
}

class ToolOutput : public testing::TestWithParam<ToolOutputCase> {};

TEST_P(ToolOutput, MovesTheBarForwardOnly) {
    const ToolOutputCase& c = GetParam();
    test::FakeJobHost host;
    host.files.assign(static_cast<std::size_t>(c.fileCount), "x.png");
    test::FakePrompts prompts;
    app::JobSession session(host, prompts);
    job::JobRequest request;
    request.pictures = host.files;
    job::ConversionJob job(request, session);
    session.progress(job::JobStage::Starting, 0, c.fileCount); // the builder starts
    for (const std::string& chunk : c.chunks)
        job.builderOutput(chunk);
    EXPECT_EQ(host.frontTexts.back(), c.lastText.empty() ? "Now Start Creating..." : c.lastText);
    EXPECT_DOUBLE_EQ(host.progress.bar, c.barPercent / 100.0);
    EXPECT_EQ(host.progress.sliver, c.lastText.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Chunks, ToolOutput,
    testing::Values(ToolOutputCase{10, {"Adding 00004.jpg "}, "Creating PDF...40%", 40},
                    ToolOutputCase{8, {"00001.jpg "}, "Creating PDF...12%", 12.5},
                    ToolOutputCase{8, {"00003.jpg"}, "Creating PDF...38%", 37.5},
                    ToolOutputCase{10, {"00002.JPG 00005.jpg "}, "Creating PDF...50%", 50},
                    ToolOutputCase{10, {"00001.jpg 00006.PNG "}, "Creating PDF...60%", 60},
                    ToolOutputCase{10, {"00005.jpg ", "00003.jpg "}, "Creating PDF...50%", 50},
                    ToolOutputCase{10, {"/c/quillon_tmp/00003.jpg "}, "", 0},
                    ToolOutputCase{10, {"00003.jpg\n", "no picture here"}, "", 0}));

TEST(ToolOutput, NumbersReadLikeVal) {
    EXPECT_EQ(job::leadingNumber("00003"), 3);
    EXPECT_EQ(job::leadingNumber("  -12.5x"), -12.5);
    EXPECT_EQ(job::leadingNumber("\n7"), 7);
    EXPECT_EQ(job::leadingNumber("a1"), 0);
    EXPECT_EQ(job::reportedIndex("a.jpg b.jpeg"), 0);
    EXPECT_EQ(
        job::skippedIndices("Adding 00000.jpg \nSkipped 00003.jpg: bad\nSkipped 12 more files\n"
                            "Skipped 00010.png: bad\nSkipped 00011.gif: bad\n"),
        (std::vector<int>{3, 10}));
    const auto pages = job::skippedPages("Skipped 00003_0002.jpg: bad\nSkipped 00004.jpg: bad\n"
                                         "Skipped 00005_.jpg: bad\nSkipped 00006_0001.gif: bad\n");
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(std::make_pair(pages[0].index, pages[0].page), std::make_pair(3, 2));
    EXPECT_EQ(std::make_pair(pages[1].index, pages[1].page), std::make_pair(4, 1));
    EXPECT_EQ(job::roundHalfEven(12.5), 12);
    EXPECT_EQ(job::roundHalfEven(13.5), 14);
}

TEST(MissingPictures, ListsTenAndCountsTheRest) {
    std::vector<std::string> paths;
    for (int i = 0; i < 13; ++i)
        paths.push_back("/p/" + std::to_string(i) + ".png");
    const std::string text = job::missingPicturesText(paths);
    EXPECT_NE(text.find("/p/9.png"), std::string::npos);
    EXPECT_EQ(text.find("/p/10.png"), std::string::npos);
    EXPECT_NE(text.find("\n... and 3 more"), std::string::npos);
    EXPECT_EQ(job::missingPicturesText({"/p/a.png"}).find("more"), std::string::npos);
}

// A picture the builder skips whole is missing for the builder's reason; one with pages left
// is named with the pages that are not.
TEST(MissingPictures, TheBuildersReasonGoesWithAPictureItSkipped) {
    const auto skipped = job::skippedPages(
        "Skipped 00002.jpg: no image data\r\nSkipped 00003_0002.jpg: truncated\n");
    ASSERT_EQ(skipped.size(), 2u);
    staging::PictureStaging whole;
    whole.pages = 1;
    job::notePageSkipped(whole, skipped[0].page, skipped[0].reason);
    EXPECT_EQ(job::missingReasonLine("/p/b.jpg", whole),
              "/p/b.jpg: refused by the PDF builder (no image data)");
    staging::PictureStaging scan;
    scan.pages = scan.pageCount = 3;
    job::notePageSkipped(scan, skipped[1].page, skipped[1].reason);
    EXPECT_EQ(job::missingEntry("/p/c.tif", scan), "/p/c.tif (page 2)");
    EXPECT_EQ(job::missingReasonLine("/p/c.tif", scan), "/p/c.tif: page 2 could not be converted");
}

// The window's fixed "-06'00" would put the PDF's date six hours off elsewhere.
TEST(DocumentDate, FixedSuffixBecomesTheLocalOffset) {
    const char* old = std::getenv("TZ");
    const std::string saved = old ? old : "";
    setenv("TZ", "CET-1", 1); // one hour east of UTC, no summer time
    tzset();
    EXPECT_EQ(job::documentDate("D:20261208143000-06'00"), "D:20261208143000+01'00'");
    setenv("TZ", "UTC0", 1);
    tzset();
    EXPECT_EQ(job::documentDate("D:20261208000000-06'00"), "D:20261208000000Z");
    // Dates written otherwise, or impossible ones, are the user's and stay as they are.
    EXPECT_EQ(job::documentDate("D:20261208143000+09'00'"), "D:20261208143000+09'00'");
    EXPECT_EQ(job::documentDate("D:20261308143000-06'00"), "D:20261308143000-06'00");
    EXPECT_EQ(job::documentDate("yesterday"), "yesterday");
    if (old)
        setenv("TZ", saved.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}
