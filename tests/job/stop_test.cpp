// A job stopped while a large picture is being decoded ends within a second, as Cancelled, with
// nothing staged or placed and no process left behind.
#include "app/job_session.h"
#include "fake_job_host.h"
#include "fake_prompts.h"
#include "job/ConversionJob.h"
#include "jpeg_maker.h"
#include "platform/paths.h"
#include "reading_watch.h"
#include "temp_folder.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

namespace pw::test {
namespace {

using Clock = std::chrono::steady_clock;

class StopMidDecode : public testing::Test {
protected:
    void SetUp() override {
        setenv("XDG_CACHE_HOME", (temp / "cache").c_str(), 1);
        platform::setApplicationFolder(PW_TEST_APP_DIR);
        std::filesystem::create_directories(temp / "out");
        host.folder = temp / "out";
    }
    void TearDown() override { platform::setApplicationFolder(""); }

    // Runs a job on `picture`, stops it once a decoder has been reading the file part of the
    // way through for a while, and checks what it leaves.
    void stopWhileDecoding(const std::string& picture) {
        host.files = {picture};
        app::JobSession session(host, prompts);
        std::optional<job::JobRequest> request = session.begin({});
        ASSERT_TRUE(request);
        job::ConversionJob job(std::move(*request), session);
        std::thread running([&job] { job.run(); });
        // Part of the way through for 50 ms: decoding, not a quick look at the file's structure.
        const Clock::time_point given = Clock::now() + std::chrono::seconds(60);
        Clock::time_point since{};
        while (Clock::now() < given) {
            if (!ReadingPartWay(picture))
                since = {};
            else if (since == Clock::time_point{})
                since = Clock::now();
            else if (Clock::now() - since > std::chrono::milliseconds(50))
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        const bool decoding = since != Clock::time_point{} && ReadingPartWay(picture);
        const Clock::time_point stopped = Clock::now();
        job.cancel();
        running.join();
        const auto took = Clock::now() - stopped;
        ASSERT_TRUE(decoding) << picture << " was not seen being decoded";
        EXPECT_LT(took, std::chrono::seconds(1))
            << picture << ": "
            << std::chrono::duration_cast<std::chrono::milliseconds>(took).count() << " ms";
        EXPECT_EQ(session.result().outcome, job::JobResult::Outcome::Cancelled);
        EXPECT_TRUE(session.result().missing.empty()) << "a stopped picture is not damaged";
        EXPECT_TRUE(std::filesystem::is_empty(host.folder));
        EXPECT_FALSE(std::filesystem::exists(job.stagingFolder()));
        const std::string jobs = platform::jobsFolder();
        EXPECT_TRUE(!std::filesystem::exists(jobs) || std::filesystem::is_empty(jobs));
        EXPECT_TRUE(ChildProcesses().empty());
    }

    TempFolder temp;
    FakeJobHost host;
    FakePrompts prompts;
};

// Each of these takes several seconds to stage here: a TIFF read strip by strip by the
// project's own reader, and a JPEG above the resolution ceiling, decoded by FreeImage's reader
// (which on its own would take a refused read for the end of the file and go on).
TEST_F(StopMidDecode, EndsWithinASecondLeavingNothing) {
    const std::string tiff = temp / "large.tif";
    ASSERT_TRUE(WriteLargeTiff(tiff, 6000, 6000));
    stopWhileDecoding(tiff);

    const std::string jpeg = temp / "large.jpg";
    pdftool::test::JpegSpec spec;
    spec.width = 8000;
    spec.height = 6000;
    spec.red = [](int x, int y) { return ((x / 3) ^ (y / 5)) % 7 == 0; };
    ASSERT_TRUE(pdftool::test::writeJpeg(jpeg, spec));
    host.options.maxDpi = 24;
    stopWhileDecoding(jpeg);
}

} // namespace
} // namespace pw::test
