#include "platform/EndProcessesOfExecutable.h"
#include "tool_helpers.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <signal.h>

using namespace pw;
using namespace pw::test;

namespace {

TEST(EndProcessesOfExecutable, EndsRunsOfThatFileOnlyEvenAfterItWasReplaced) {
    const TempFolder temp("pw-process");
    ASSERT_TRUE(temp.ok());
    const std::string folder = temp.path();
    ASSERT_TRUE(copyToolTo(folder + "/pdf.exe")); // same name, another program file
    // A private copy: ending the shared fake tool would end other tests' runs of it.
    ASSERT_TRUE(platform::makeFolder(temp / "own"));
    const std::string tool = temp / "own/pdf.exe";
    ASSERT_TRUE(copyToolTo(tool));
    const std::vector<std::string> forever{"sleep:60000"};
    const pid_t first = startProcess(tool, forever);
    const pid_t second = startProcess(tool, forever);
    const pid_t foreign = startProcess(folder + "/pdf.exe", forever);
    const pid_t other = startProcess(kFakeMyPdf, forever);
    for (pid_t pid : {first, second, foreign, other})
        ASSERT_GT(pid, 0);

    platform::EndProcessesOfExecutable(tool);

    int status = 0;
    for (pid_t pid : {first, second}) {
        EXPECT_TRUE(endedWithin(pid, 10000, status));
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    }
    EXPECT_FALSE(endedWithin(foreign, 200, status)) << "a foreign pdf.exe was ended";
    EXPECT_FALSE(endedWithin(other, 0, status)) << "mypdf.exe was ended";

    // A builder left running by an installation that has been replaced since.
    ASSERT_TRUE(copyToolTo(folder + "/new.exe"));
    ASSERT_EQ(std::rename((folder + "/new.exe").c_str(), (folder + "/pdf.exe").c_str()), 0);
    platform::EndProcessesOfExecutable(folder + "/pdf.exe");
    EXPECT_TRUE(endedWithin(foreign, 10000, status));
    EXPECT_FALSE(endedWithin(other, 0, status));

    for (pid_t pid : {first, second, foreign, other})
        killAndReap(pid);
}

// A staging folder's strays: the runs working in that folder, not those of other folders.
TEST(EndProcessesOfExecutable, InAFolderEndsOnlyTheRunsWorkingThere) {
    const TempFolder temp("pw-process");
    ASSERT_TRUE(temp.ok());
    ASSERT_TRUE(platform::makeFolder(temp / "mine") && platform::makeFolder(temp / "other"));
    const std::vector<std::string> forever{"sleep:60000"};
    const pid_t mine = startProcess(kFakeTool, forever, temp / "mine");
    const pid_t other = startProcess(kFakeTool, forever, temp / "other");
    const pid_t elsewhere = startProcess(kFakeMyPdf, forever, temp / "mine");
    for (pid_t pid : {mine, other, elsewhere})
        ASSERT_GT(pid, 0);

    platform::EndProcessesOfExecutable(kFakeTool, temp / "mine");

    int status = 0;
    EXPECT_TRUE(endedWithin(mine, 10000, status));
    EXPECT_FALSE(endedWithin(other, 200, status)) << "a run in another folder was ended";
    EXPECT_FALSE(endedWithin(elsewhere, 0, status)) << "another program was ended";
    platform::EndProcessesOfExecutable(kFakeTool, temp / "no such folder");
    EXPECT_FALSE(endedWithin(other, 0, status));
    for (pid_t pid : {other, elsewhere})
        killAndReap(pid);
}

// Run from a private copy of this test program: ending "its own" program must not end the
// other tests running side by side from the shared one.
TEST(EndProcessesOfExecutable, NeverEndsTheCallingProcessOrFailsWithoutMatches) {
    if (std::getenv("PW_END_SELF")) {
        platform::EndProcessesOfExecutable("/proc/self/exe");
        platform::EndProcessesOfExecutable("/no/such/program");
        return; // still running
    }
    const TempFolder temp("pw-process");
    ASSERT_TRUE(temp.ok());
    const std::string copy = temp / "probe";
    ASSERT_TRUE(std::filesystem::copy_file("/proc/self/exe", copy));
    const std::string run = "PW_END_SELF=1 '" + copy +
                            "' --gtest_filter=EndProcessesOfExecutable."
                            "NeverEndsTheCallingProcessOrFailsWithoutMatches >/dev/null";
    const int status = std::system(run.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

} // namespace
