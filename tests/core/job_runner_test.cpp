// Whole conversions through the core alone: the job on a thread of its own, its events back
// on this thread's event loop, as the window runs them.
#include "command_output.h"
#include "core/job_runner.h"
#include "core/job_session.h"
#include "fake_job_host.h"
#include "fake_prompts.h"
#include "platform/paths.h"
#include "platform/processes.h"
#include "temp_folder.h"
#include "test_pictures.h"

#include <FreeImage.h>
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace pw::test {
namespace {

QCoreApplication& application() {
    static int argc = 1;
    static char name[] = "core_test";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

class CoreJob : public testing::Test {
protected:
    void SetUp() override {
        application();
        setenv("XDG_CACHE_HOME", (temp / "cache").c_str(), 1);
        os::setApplicationFolder(PW_TEST_APP_DIR);
        fs::create_directories(temp / "pics");
        host.folder = temp / "out";
    }
    void TearDown() override { os::setApplicationFolder(""); }

    std::string picture(const std::string& name, int format = FIF_PNG) {
        const std::string path = temp / ("pics/" + name);
        EXPECT_TRUE(writePicture(path, format, 40, 30)) << name;
        return path;
    }
    // One Convert, run by a JobRunner; `whileRunning` is called on every event-loop pass
    // until the job has finished.
    void convert(const std::function<void(JobRunner&)>& whileRunning = {}) {
        JobSession session(host, prompts);
        std::optional<engine::JobRequest> request = session.begin({});
        ASSERT_TRUE(request);
        JobRunner runner;
        ASSERT_TRUE(runner.start(std::move(*request), session));
        EXPECT_FALSE(runner.start({}, session)) << "a second job started beside the first";
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (runner.running() && std::chrono::steady_clock::now() < deadline) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
            if (whileRunning)
                whileRunning(runner);
        }
        ASSERT_FALSE(runner.running());
        result = session.result();
    }
    std::string out(const std::string& name) const { return host.folder + "/" + name; }

    TempFolder temp;
    FakeJobHost host;
    FakePrompts prompts;
    engine::JobResult result;
};

TEST_F(CoreJob, BothModesMakeTheirPdfsAndNameTheMissingPicture) {
    const std::string broken = temp / "pics/broken.png";
    std::ofstream(broken) << "not a picture";
    host.files = {picture("a.png"), broken, picture("c.jpg", FIF_JPEG)};

    convert();
    EXPECT_EQ(result.outcome, engine::JobResult::Outcome::Finished);
    EXPECT_EQ(result.written, std::vector<std::string>{out("NewPDF.pdf")});
    EXPECT_EQ(pageCount(out("NewPDF.pdf")), 2);
    ASSERT_EQ(result.missing, std::vector<std::string>{broken});
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].title, "Missing Pictures");
    EXPECT_EQ(host.frontTexts.back(), "Done.");
    EXPECT_EQ(host.frontTexts.front(), "Preparing Files...");

    host.perPicture = true;
    convert();
    EXPECT_EQ(result.written, (std::vector<std::string>{out("a.pdf"), out("c.pdf")}));
    EXPECT_EQ(pageCount(out("a.pdf")), 1);
    EXPECT_EQ(pageCount(out("c.pdf")), 1);
    EXPECT_EQ(result.missing, std::vector<std::string>{broken});
}

// Processes still working in `folder`, or in it after it was removed: a builder and whatever
// it started.
std::vector<int> workingIn(const std::string& folder) {
    std::vector<int> found;
    for (const os::ProcessEntry& entry : os::listProcesses()) {
        std::error_code error;
        const std::string cwd =
            fs::read_symlink("/proc/" + std::to_string(entry.pid) + "/cwd", error).string();
        if (!entry.zombie && (cwd == folder || cwd == folder + " (deleted)"))
            found.push_back(entry.pid);
    }
    return found;
}

TEST_F(CoreJob, StopEndsTheJobWithinASecondLeavingNothing) {
    const fs::path app = temp / "app";
    fs::create_directories(app / "data");
    const std::string pidFile = temp / "builder.pid";
    // A builder that says it runs, then waits to be ended, itself: no child of its own is left.
    std::ofstream(app / "data/pdf.exe")
        << "#!/bin/sh\necho $$ > '" << pidFile << "'\nexec sleep 60\n";
    fs::permissions(app / "data/pdf.exe", fs::perms::owner_all);
    os::setApplicationFolder(app);
    host.files = {picture("a.png"), picture("b.png")};

    std::chrono::steady_clock::time_point stopped{};
    convert([&](JobRunner& runner) {
        std::error_code missing;
        if (stopped == std::chrono::steady_clock::time_point{} &&
            fs::file_size(pidFile, missing) > 0 && !missing) {
            stopped = std::chrono::steady_clock::now();
            runner.stop();
        }
    });
    ASSERT_NE(stopped, std::chrono::steady_clock::time_point{});
    EXPECT_LT(std::chrono::steady_clock::now() - stopped, std::chrono::seconds(1));
    EXPECT_EQ(workingIn(os::stagingFolder()), std::vector<int>{});
    EXPECT_EQ(result.outcome, engine::JobResult::Outcome::Cancelled);
    EXPECT_TRUE(result.written.empty());
    EXPECT_TRUE(fs::is_empty(temp / "out"));
    EXPECT_FALSE(fs::exists(os::stagingFolder()));
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_FALSE(std::find(host.log.begin(), host.log.end(), "beep") != host.log.end());
}

} // namespace
} // namespace pw::test
