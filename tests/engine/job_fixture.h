#pragma once
// Conversion jobs run with the real builder of the build, in a scratch folder of their own:
// pictures under temp/pics, the output folder temp/out, the staging folder under temp/cache.
#include "counting_pump.h"
#include "engine/ConversionJob.h"
#include "fake_job_host.h"
#include "fake_prompts.h"
#include "platform/paths.h"
#include "process/DOSOutputs.h"
#include "temp_folder.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

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

    // One Convert with the host's pictures and options.
    void run() {
        DOSOutputs objDOS(pump, prompts);
        DOSOutputs objShell(pump, prompts);
        engine::ConversionJob job(host, prompts, pump, objDOS, objShell);
        job.Command3_Click();
    }
    std::string out(const std::string& name) const { return host.folder + "/" + name; }

    TempFolder temp;
    FakeJobHost host;
    FakePrompts prompts;
    CountingPump pump;
};

} // namespace pw::test
