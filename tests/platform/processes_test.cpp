#include "platform/processes.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace pw::platform;
using namespace pw;

namespace {

using Args = std::vector<std::string>;

TEST(SplitCommandLine, FollowsTheWindowsQuotingRules) {
    EXPECT_EQ(platform::splitCommandLine(""), Args{});
    EXPECT_EQ(platform::splitCommandLine("   "), Args{});
    EXPECT_EQ(platform::splitCommandLine("\"C:\\with space\\pdf.exe\" a  \"b c\""),
              (Args{"C:\\with space\\pdf.exe", "a", "b c"}));
    // The program path keeps its backslashes; later arguments escape quotes with them.
    EXPECT_EQ(platform::splitCommandLine("C:\\tools\\pdf.exe a\\\\b a\\\"b \"a\\\\\" c\\"),
              (Args{"C:\\tools\\pdf.exe", "a\\\\b", "a\"b", "a\\", "c\\"}));
    // "" inside quotes is a literal quote and closes the quoted part.
    EXPECT_EQ(platform::splitCommandLine("p \"a\"\"b c"), (Args{"p", "a\"b", "c"}));
    EXPECT_EQ(platform::splitCommandLine("p \"\" x"), (Args{"p", "", "x"}));
    EXPECT_EQ(platform::splitCommandLine("p a\"b c\"d\te"), (Args{"p", "ab cd", "e"}));
}

TEST(SplitCommandLine, QuotedArgumentsComeBackUnchanged) {
    const Args arguments{"prog", "two words", "", "quote\"inside", "trail\\", "dir with\\"};
    std::string line;
    for (const std::string& argument : arguments) {
        if (!line.empty())
            line += ' ';
        line += platform::quoteArgument(argument);
    }
    EXPECT_EQ(platform::splitCommandLine(line), arguments);
}

TEST(Spawn, AMissingOrUnrunnableProgramFailsWithoutAChild) {
    platform::Pipe pipe;
    int error = 0;
    ASSERT_TRUE(pw::platform::createPipe(pipe, error));
    EXPECT_EQ(platform::spawnWithOutput("/no/such/program", pipe.writeFd, error), -1);
    EXPECT_EQ(error, ENOENT);
    EXPECT_EQ(platform::spawnWithOutput("no-such-program-anywhere x", pipe.writeFd, error), -1);
    EXPECT_EQ(platform::spawnWithOutput("/tmp", pipe.writeFd, error), -1);

    const std::string script = (std::filesystem::temp_directory_path() /
                                ("pw-not-executable-" + std::to_string(::getpid())))
                                   .string();
    std::ofstream(script) << "#!/bin/sh\n";
    EXPECT_EQ(platform::spawnWithOutput(script, pipe.writeFd, error), -1);
    std::filesystem::remove(script);
    platform::closeFd(pipe.readFd);
    platform::closeFd(pipe.writeFd);
    EXPECT_EQ(pipe.readFd, -1);
}

TEST(Spawn, OutputComesThroughThePipeAndTheChildIsReaped) {
    platform::Pipe pipe;
    int error = 0;
    ASSERT_TRUE(pw::platform::createPipe(pipe, error));
    const int pid =
        platform::spawnWithOutput("sh -c \"echo out; echo err 1>&2; cat\"", pipe.writeFd, error);
    ASSERT_GT(pid, 0);
    platform::closeFd(pipe.writeFd);

    std::string text;
    char buffer[64];
    long got = 0;
    while ((got = platform::readPipe(pipe.readFd, buffer, sizeof buffer)) > 0)
        text.append(buffer, static_cast<std::size_t>(got));
    EXPECT_EQ(got, 0); // end of file: cat read an empty standard input
    EXPECT_EQ(text, "out\nerr\n");
    platform::closeFd(pipe.readFd);

    bool stillThere = true;
    for (int i = 0; i < 500 && stillThere; ++i) {
        platform::reapChildren();
        stillThere = std::filesystem::exists("/proc/" + std::to_string(pid));
        if (stillThere)
            ::usleep(10000);
    }
    EXPECT_FALSE(stillThere) << "the child was left as a zombie";
}

TEST(ProcessList, FindsLiveProcessesByName) {
    std::ifstream comm("/proc/self/comm");
    std::string ownName;
    std::getline(comm, ownName);
    bool listed = false;
    for (const platform::ProcessEntry& entry : platform::listProcesses())
        listed = listed || (entry.pid == ::getpid() && entry.imageName == ownName && !entry.zombie);
    EXPECT_TRUE(listed);
}

} // namespace
