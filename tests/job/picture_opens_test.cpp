// A job opens each picture file once and converts its path to the system's bytes once: the
// job runs in a child of this test under strace, which counts every open of each file.
#include "job_fixture.h"
#include "platform/narrow.h"
#include "test_pictures.h"

#include <FreeImage.h>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <unistd.h>

namespace pw::test {
namespace {

constexpr const char* kChildFolder = "PW_OPENS_CHILD";

class PictureOpens : public JobFixture {};

std::vector<std::string> picturesIn(const std::string& folder) {
    return {folder + "/a.jpg", folder + "/b.png",  folder + "/c.tif",
            folder + "/d.bmp", folder + "/e.webp", folder + "/f.heic"};
}

TEST_F(PictureOpens, EachFileOpenedAndItsPathConvertedOncePerJob) {
    if (const char* folder = std::getenv(kChildFolder)) {
        // The child: one job, its conversions counted here, its opens by strace from the mark.
        host.files = picturesIn(folder);
        std::optional<job::JobRequest> request = session.begin({});
        ASSERT_TRUE(request);
        platform::countNarrowConversions(host.files);
        ::close(::open((std::string(folder) + "/job-starts").c_str(), O_RDONLY | O_CLOEXEC));
        job::ConversionJob job(std::move(*request), session);
        job.run();
        for (const std::string& file : host.files)
            EXPECT_EQ(platform::narrowConversionsOf(file), 1) << file;
        platform::countNarrowConversions({});
        EXPECT_EQ(session.result().outcome, job::JobResult::Outcome::Finished);
        EXPECT_TRUE(session.result().missing.empty());
        return;
    }
    const std::string folder = temp / "pics";
    const std::vector<std::string> files = picturesIn(folder);
    ASSERT_TRUE(writePicture(files[0], FIF_JPEG, 80, 60));
    ASSERT_TRUE(writePicture(files[1], FIF_PNG, 80, 60));
    TiffPage grey;
    grey.width = 16;
    grey.height = 16;
    grey.data.assign(256, '\x80');
    TiffPage bilevel = grey;
    bilevel.bits = 1;
    bilevel.compression = 4; // Group 4, copied as it is
    bilevel.data.assign(32, '\x0F');
    ASSERT_TRUE(writeTiff(files[2], {grey, bilevel, grey}));
    ASSERT_TRUE(writePicture(files[3], FIF_BMP, 80, 60));
    ASSERT_TRUE(writePicture(files[4], FIF_WEBP, 80, 60));
    std::filesystem::copy_file(std::string(PW_TEST_SAMPLES) + "/06-harbour.heic", files[5]);
    ASSERT_EQ(std::system("strace -V >/dev/null 2>&1"), 0) << "strace is missing";

    const std::string log = temp / "opens.log";
    char self[4096] = {};
    ASSERT_GT(::readlink("/proc/self/exe", self, sizeof self - 1), 0);
    // LeakSanitizer cannot run under ptrace: the traced child leaves leak checks to the rest.
    const std::string command =
        "env ASAN_OPTIONS=\"${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0\" " +
        std::string(kChildFolder) + "='" + folder + "' strace -f -qq -e trace=open,openat -o '" +
        log + "' '" + self + "' --gtest_filter=PictureOpens.* >'" + std::string(temp / "child") +
        "' 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << std::ifstream(temp / "child").rdbuf();

    std::ifstream lines(log);
    std::map<std::string, int> opens;
    bool started = false;
    for (std::string line; std::getline(lines, line);) {
        started = started || line.find("/job-starts\"") != std::string::npos;
        for (const std::string& file : files)
            if (started && line.find('"' + file + '"') != std::string::npos)
                ++opens[file];
    }
    ASSERT_TRUE(started);
    for (const std::string& file : files)
        EXPECT_EQ(opens[file], 1) << file;
}

} // namespace
} // namespace pw::test
