#pragma once
// Runs one console command with its standard output and error captured through a pipe,
// reporting every chunk while the tool runs. A run ends when the process it started ends;
// other runs of the same program, such as another job's, are none of its business.
#include "platform/processes.h"
#include "platform/prompts.h"
#include "platform/pump.h"

#include <atomic>
#include <functional>
#include <string>
#include <utility>

namespace pw::platform {

// An eventfd another thread (or a signal handler) writes to wake a wait.
class WakeFd {
public:
    WakeFd();
    ~WakeFd();
    WakeFd(const WakeFd&) = delete;
    WakeFd& operator=(const WakeFd&) = delete;
    int fd() const { return fd_; }
    void wake() const;
    void drain() const;

private:
    int fd_ = -1;
};

class DOSOutputs {
public:
    DOSOutputs(MessagePump& pump, Prompts& prompts);

    const std::string& CommandLine() const { return commandLine_; }
    void setCommandLine(const std::string& commandLine) { commandLine_ = commandLine; }
    const std::string& Outputs() const { return outputs_; }
    // The folder the command runs in; "" keeps this process's.
    const std::string& workingFolder() const { return workingFolder_; }
    void setWorkingFolder(const std::string& folder) { workingFolder_ = folder; }
    // Text handed to each run's standard input (a sealed file in memory), then its end, whatever
    // its length; "" gives /dev/null.
    // Secrets go this way: they never show on a command line or in the environment.
    void setInput(std::string input) { input_ = std::move(input); }
    // How the last run's program ended; Unknown when it did not start or its end was not seen.
    const ChildEnd& Ended() const { return ended_; }

    // Runs the command (a non-empty argument first replaces CommandLine) and returns the text of
    // this run, or "" when it did not start.
    std::string ExecuteCommand(const std::string& commandLine = std::string());

    // Ends the process of the run going on, if any; the run then ends as usual. Nothing else
    // is touched: only this runner's own child.
    void EndCommand();
    // Wakes the run going on (if any) to ask StopRequested now; safe from any thread and from a
    // signal handler.
    void interrupt();

    // Raised for every chunk read (at most 1024 bytes), after it is appended to Outputs.
    std::function<void(std::string& CommandOutputs)> ReceiveOutputs;
    // Raised once at the end of a run that started, before ExecuteCommand returns.
    std::function<void()> CommandOver;
    // Asked when the run starts and whenever interrupt wakes it; true ends its process, and the
    // run then ends as usual. Lets a job on another thread stop the run without reaching into it.
    std::function<bool()> StopRequested;

    static constexpr long kChunkSize = 1024;
    // After its output could not be read, the process is given this many passes,
    // kEndPassMilliseconds apart, to end.
    static constexpr int kEndPasses = 100;
    static constexpr int kEndPassMilliseconds = 10;

private:
    // Appends a chunk to Outputs and raises ReceiveOutputs with a copy of it.
    void deliver(const char* bytes, long count);

    // Waits until the pipe has bytes or hangs up, the child ends, or interrupt is called;
    // false once the pipe has hung up with nothing left to read.
    bool waitForEvent(int readFd, bool pipeOpen, int pidFd);

    MessagePump& pump_;
    Prompts& prompts_;
    WakeFd wake_;
    std::string commandLine_;
    std::string workingFolder_;
    std::string input_;
    std::string outputs_;
    ChildEnd ended_;
    std::atomic<int> running_{-1}; // the pid of the run going on
};

} // namespace pw::platform
