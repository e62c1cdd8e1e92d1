#include "process/EndProcessesByName.h"
#include "tool_helpers.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <signal.h>

using namespace pw;
using namespace pw::test;

namespace {

TEST(EndProcessesByName, EndsEveryWholeNameMatchInAnyCaseAndNothingElse) {
    const TempFolder temp("pw-process");
    ASSERT_TRUE(temp.ok());
    const std::string& folder = temp.path();
    ASSERT_TRUE(copyToolTo(folder + "/PDF.EXE"));
    ASSERT_TRUE(copyToolTo(folder + "/pdf.exe.bak"));
    const std::vector<std::string> forever{"sleep:60000"};
    const pid_t lower = startProcess(kFakeTool, forever);
    const pid_t upper = startProcess(folder + "/PDF.EXE", forever);
    const pid_t longer = startProcess(kFakeMyPdf, forever);
    const pid_t suffixed = startProcess(folder + "/pdf.exe.bak", forever);
    ASSERT_GT(lower, 0);
    ASSERT_GT(upper, 0);
    ASSERT_GT(longer, 0);
    ASSERT_GT(suffixed, 0);

    EndProcessesByName("pdf.exe");

    int status = 0;
    EXPECT_TRUE(endedWithin(lower, 10000, status));
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    EXPECT_TRUE(endedWithin(upper, 10000, status));
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    EXPECT_FALSE(endedWithin(longer, 200, status)) << "mypdf.exe was ended";
    EXPECT_FALSE(endedWithin(suffixed, 0, status)) << "pdf.exe.bak was ended";

    for (pid_t pid : {lower, upper, longer, suffixed})
        killAndReap(pid);
}

TEST(EndProcessesByName, NeverEndsTheCallingProcessOrFailsWithoutMatches) {
    std::ifstream comm("/proc/self/comm");
    std::string ownName;
    std::getline(comm, ownName);
    ASSERT_FALSE(ownName.empty());

    EndProcessesByName(ownName);
    EndProcessesByName("no-process-has-this-name");
    SUCCEED(); // still running
}

} // namespace
