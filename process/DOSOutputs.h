#pragma once
// Runs one console command with its standard output and error captured through a pipe,
// reporting every chunk while the tool runs. A run ends when no process of this user runs the
// program the command line started (an independent copy of it keeps the run going too).
#include "platform/processes.h"
#include "platform/prompts.h"
#include "platform/pump.h"

#include <functional>
#include <string>

namespace pw {

class DOSOutputs {
public:
    DOSOutputs(os::MessagePump& pump, os::Prompts& prompts);

    const std::string& CommandLine() const { return commandLine_; }
    void setCommandLine(const std::string& commandLine) { commandLine_ = commandLine; }
    const std::string& Outputs() const { return outputs_; }
    // How the last run's program ended; Unknown when it did not start or its end was not seen.
    const os::ChildEnd& Ended() const { return ended_; }

    // Runs the command (a non-empty argument first replaces CommandLine) and returns the text of
    // this run, or "" when it did not start.
    std::string ExecuteCommand(const std::string& commandLine = std::string());

    // Raised for every chunk read (at most 1024 bytes), after it is appended to Outputs.
    std::function<void(std::string& CommandOutputs)> ReceiveOutputs;
    // Raised once at the end of a run that started, before ExecuteCommand returns.
    std::function<void()> CommandOver;

    static constexpr long kChunkSize = 1024;
    static constexpr int kPassMilliseconds = 50;
    // The tool's process may still be ending when it no longer runs the program: its end is
    // looked for this many times, kEndPassMilliseconds apart.
    static constexpr int kEndPasses = 100;
    static constexpr int kEndPassMilliseconds = 10;

private:
    bool IsProcessRunning(const std::string& program) const;
    // Appends a chunk to Outputs and raises ReceiveOutputs with a copy of it.
    void deliver(const char* bytes, long count);

    os::MessagePump& pump_;
    os::Prompts& prompts_;
    std::string commandLine_;
    std::string outputs_;
    os::ChildEnd ended_;
};

} // namespace pw
