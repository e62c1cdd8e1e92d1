#include "counting_pump.h"
#include "fake_prompts.h"
#include "fake_tool_pattern.h"
#include "platform/DOSOutputs.h"
#include "platform/files.h"
#include "platform/processes.h"
#include "tool_helpers.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace pw;
using namespace pw::test;

namespace {

class DOSOutputsTest : public ::testing::Test {
protected:
    void SetUp() override {
        runner.ReceiveOutputs = [this](std::string& chunk) {
            events.push_back("chunk");
            chunks.push_back(chunk);
            chunk = "changed by the handler";
        };
        runner.CommandOver = [this] { events.push_back("over"); };
    }
    std::string tool(const std::string& arguments) const {
        return platform::quoteArgument(kFakeTool) + " " + arguments;
    }
    std::string joinedChunks() const {
        std::string all;
        for (const std::string& chunk : chunks)
            all += chunk;
        return all;
    }
    void expectChunksWithinLimit() const {
        for (const std::string& chunk : chunks) {
            EXPECT_FALSE(chunk.empty());
            EXPECT_LE(chunk.size(), 1024u);
        }
    }

    CountingPump pump;
    FakePrompts prompts;
    platform::DOSOutputs runner{pump, prompts};
    std::vector<std::string> chunks;
    std::vector<std::string> events;
    TempFolder temp{"pw-process"};
    const std::string folder = temp.path();
};

TEST_F(DOSOutputsTest, LargeOutputArrivesInOrderInChunksOverSeveralPasses) {
    const std::string result = runner.ExecuteCommand(tool("print:3000 sleep:300 err:E text:end"));

    const std::string expected = toolPattern(0, 3000) + "Eend";
    EXPECT_EQ(result, expected);
    EXPECT_EQ(runner.Outputs(), expected);
    EXPECT_EQ(joinedChunks(), expected);
    EXPECT_GE(chunks.size(), 3u);
    expectChunksWithinLimit();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back(), "over");
    EXPECT_EQ(std::count(events.begin(), events.end(), "over"), 1);
    EXPECT_GE(pump.pumps, 1); // once a chunk
    EXPECT_EQ(pump.waits, 0); // the run sleeps on the pipe and the child, not on a timer
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(DOSOutputsTest, OutputStillBufferedWhenTheToolEndsIsDeliveredInFull) {
    const std::string result = runner.ExecuteCommand(tool("print:20000"));

    EXPECT_EQ(result, toolPattern(0, 20000));
    EXPECT_EQ(joinedChunks(), result);
    EXPECT_GE(chunks.size(), 20u);
    expectChunksWithinLimit();
    EXPECT_EQ(events.back(), "over");
}

TEST_F(DOSOutputsTest, SilentToolStillEndsTheRun) {
    runner.ExecuteCommand(tool("text:before"));
    events.clear();
    chunks.clear();

    EXPECT_EQ(runner.ExecuteCommand(tool("sleep:100 exit:3")), "");
    EXPECT_EQ(runner.Outputs(), "");
    EXPECT_EQ(events, std::vector<std::string>{"over"});
    EXPECT_EQ(zombieChildren(), 0) << "the finished tool was not reaped";
}

TEST_F(DOSOutputsTest, HowTheToolEndedIsKeptUntilTheNextRun) {
    runner.ExecuteCommand(tool("text:x exit:5"));
    EXPECT_EQ(runner.Ended().how, platform::ChildEnd::How::Exited);
    EXPECT_EQ(runner.Ended().value, 5);
    EXPECT_EQ(runner.ExecuteCommand(tool("text:dying kill text:never")), "dying");
    EXPECT_EQ(runner.Ended().how, platform::ChildEnd::How::Signalled);
    EXPECT_EQ(runner.Ended().value, SIGKILL);
    runner.ExecuteCommand("/nonexistent/folder/pdf.exe");
    EXPECT_EQ(runner.Ended().how, platform::ChildEnd::How::Unknown);
}

// The input reaches every run's standard input, whole, and then its end, also far beyond what
// a pipe holds; without one the tool reads nothing.
TEST_F(DOSOutputsTest, InputReachesEachRunThroughItsStandardInput) {
    const std::string input = "OpenPassword=se cret\nPrint=no\n" + std::string(1 << 20, 'x');
    runner.setInput(input);
    for (int run = 0; run < 2; ++run) {
        const std::string echoed = runner.ExecuteCommand(tool("input text:end"));
        EXPECT_TRUE(echoed == input + "end") << run << ": " << echoed.size() << " bytes back";
    }
    runner.setInput("");
    EXPECT_EQ(runner.ExecuteCommand(tool("input text:end")), "end");
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(DOSOutputsTest, FailuresShowTheirMessageRaiseNoEventAndKeepOutputs) {
    EXPECT_EQ(runner.ExecuteCommand(), "");
    runner.ExecuteCommand(tool("text:kept"));
    events.clear();

    EXPECT_EQ(runner.ExecuteCommand("/nonexistent/folder/pdf.exe print:10"), "");
    EXPECT_EQ(runner.ExecuteCommand("no-such-program-on-the-path"), "");
    EXPECT_EQ(runner.ExecuteCommand("/"), "");

    EXPECT_TRUE(events.empty());
    EXPECT_EQ(runner.Outputs(), "kept");
    ASSERT_EQ(prompts.messages.size(), 4u);
    EXPECT_EQ(prompts.messages[0].text, "Command Line empty");
    for (std::size_t i = 1; i < 4; ++i)
        EXPECT_EQ(prompts.messages[i].text, "File or command not found");
    for (const MessageBoxCall& call : prompts.messages) {
        EXPECT_EQ(call.title, platform::kProgramTitle);
        EXPECT_EQ(call.icon, platform::Icon::Error);
        EXPECT_EQ(call.buttons, platform::Buttons::Ok);
    }
}

TEST_F(DOSOutputsTest, AnArgumentReplacesTheCommandLineForLaterRuns) {
    runner.setCommandLine(tool("text:first"));
    EXPECT_EQ(runner.ExecuteCommand(), "first");
    EXPECT_EQ(runner.ExecuteCommand(tool("text:second")), "second");
    EXPECT_EQ(runner.CommandLine(), tool("text:second"));
    EXPECT_EQ(runner.ExecuteCommand(), "second");
}

TEST_F(DOSOutputsTest, QuotedProgramPathWithABlankRuns) {
    ASSERT_TRUE(temp.ok());
    const std::string spaced = folder + "/with space";
    ASSERT_TRUE(platform::makeFolder(spaced));
    ASSERT_TRUE(copyToolTo(spaced + "/pdf.exe"));

    const std::string result =
        runner.ExecuteCommand("\"" + spaced + "/pdf.exe\" \"two words\" say\\\"so args");
    EXPECT_EQ(result, "two words|say\"so|args\n");
}

// A run ends with its own process: another run of the same program (another job's builder)
// neither keeps it going nor is ended by EndCommand, which ends the run's own process only.
TEST_F(DOSOutputsTest, OnlyItsOwnProcessKeepsARunGoingOrIsEnded) {
    const pid_t other = startProcess(kFakeTool, {"sleep:60000"});
    ASSERT_GT(other, 0);

    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(runner.ExecuteCommand(tool("text:hi")), "hi");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20))
        << "the run waited for another run of the tool";

    runner.ReceiveOutputs = [this](std::string&) { runner.EndCommand(); };
    EXPECT_EQ(runner.ExecuteCommand(tool("text:go sleep:60000 text:never")), "go");
    EXPECT_EQ(runner.Ended().how, platform::ChildEnd::How::Signalled);
    EXPECT_EQ(runner.Ended().value, SIGKILL);
    runner.EndCommand(); // no run going: nothing to end

    int status = 0;
    EXPECT_FALSE(endedWithin(other, 0, status)) << "another run of the tool was ended";
    killAndReap(other);
}

} // namespace
