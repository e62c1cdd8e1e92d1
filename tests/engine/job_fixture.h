#pragma once
// Conversion jobs run with the real builder of the build, in a scratch folder of their own:
// pictures under temp/pics, the output folder temp/out, the staging folder under temp/cache.
// A Convert runs as the window runs it, the job on the test's thread reporting to the session.
#include "core/job_session.h"
#include "engine/ConversionJob.h"
#include "fake_job_host.h"
#include "fake_prompts.h"
#include "platform/paths.h"
#include "temp_folder.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <utility>

namespace pw::test {

class JobFixture : public testing::Test {
protected:
    void SetUp() override {
        setenv("XDG_CACHE_HOME", (temp / "cache").c_str(), 1);
        os::setApplicationFolder(PW_TEST_APP_DIR);
        std::filesystem::create_directories(temp / "pics");
        host.folder = temp / "out";
    }
    void TearDown() override { os::setApplicationFolder(""); }

    // One Convert with the host's pictures and options; the result, or nothing when the job
    // did not start. One session serves every Convert of a test, as it does the window.
    std::optional<engine::JobResult> run(const JobSession::Choices& choices = {}) {
        std::optional<engine::JobRequest> request = session.begin(choices);
        if (!request)
            return std::nullopt;
        engine::ConversionJob job(std::move(*request), session);
        stagingFolder = job.stagingFolder();
        job.run();
        stagingFolder = job.stagingFolder();
        return session.result();
    }
    std::string out(const std::string& name) const { return host.folder + "/" + name; }

    TempFolder temp;
    FakeJobHost host;
    FakePrompts prompts;
    JobSession session{host, prompts};
    std::string stagingFolder; // of the last job
};

} // namespace pw::test
