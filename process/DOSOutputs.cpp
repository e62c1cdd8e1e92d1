#include "process/DOSOutputs.h"

#include "platform/narrow.h"
#include "platform/processes.h"
#include "process/clsWaitableTimer.h"

#include <algorithm>

namespace pw {

DOSOutputs::DOSOutputs(os::MessagePump& pump, os::Prompts& prompts)
    : pump_(pump), prompts_(prompts) {}

void DOSOutputs::EndCommand() {
    const int pid = running_;
    if (pid > 0 && os::childRunning(pid))
        os::terminateProcess(pid);
}

void DOSOutputs::deliver(const char* bytes, long count) {
    // The narrow encoding of the tool's output is the locale's: UTF-8 passes through as it is.
    std::string chunk(bytes, static_cast<std::size_t>(count));
    outputs_ += chunk;
    if (ReceiveOutputs)
        ReceiveOutputs(chunk);
}

std::string DOSOutputs::ExecuteCommand(const std::string& commandLine) {
    if (!commandLine.empty())
        commandLine_ = commandLine;
    ended_ = os::ChildEnd();
    if (commandLine_.empty()) {
        prompts_.messageBox("Command Line empty", os::kProgramTitle, os::Buttons::Ok,
                            os::Icon::Error);
        return "";
    }

    os::Pipe pipe;
    int error = 0;
    if (!os::createPipe(pipe, error)) {
        prompts_.messageBox("CreatePipe failed. Error: " + std::to_string(error), os::kProgramTitle,
                            os::Buttons::Ok, os::Icon::Error);
        return "";
    }
    int input = -1;
    if (!input_.empty() && !os::pipeHolding(input_, input, error)) {
        prompts_.messageBox("CreatePipe failed. Error: " + std::to_string(error), os::kProgramTitle,
                            os::Buttons::Ok, os::Icon::Error);
        os::closeFd(pipe.readFd);
        os::closeFd(pipe.writeFd);
        return "";
    }
    const int pid = os::spawnWithOutput(os::toNarrow(commandLine_), pipe.writeFd, error, nullptr,
                                        workingFolder_, input);
    os::closeFd(input);
    if (pid < 0) {
        prompts_.messageBox("File or command not found", os::kProgramTitle, os::Buttons::Ok,
                            os::Icon::Error);
        os::closeFd(pipe.readFd);
        os::closeFd(pipe.writeFd);
        return "";
    }
    os::closeFd(pipe.writeFd);
    outputs_.clear();
    running_ = pid;

    clsWaitableTimer timer(pump_);
    char buffer[kChunkSize];
    bool readSucceeded = true;
    bool over = false;
    bool stopped = false;
    do {
        if (!stopped && StopRequested && StopRequested()) {
            os::terminateProcess(pid);
            stopped = true;
        }
        if (os::bytesInPipe(pipe.readFd) > 0) {
            const long got = os::readPipe(pipe.readFd, buffer, kChunkSize);
            readSucceeded = got > 0;
            if (got > 0)
                deliver(buffer, got);
        }
        if (!os::childRunning(pid))
            over = true;
        pump_.pumpOnce();
        timer.Wait(kPassMilliseconds);
    } while (readSucceeded && !over);

    // The tool has ended, so all it wrote is in the pipe: hand over what is there, chunk by
    // chunk. A writer that still runs (a program the tool started) is not waited for.
    long left = readSucceeded ? os::bytesInPipe(pipe.readFd) : 0;
    while (left > 0) {
        const long got = os::readPipe(pipe.readFd, buffer, std::min(left, kChunkSize));
        if (got <= 0)
            break;
        deliver(buffer, got);
        left -= got;
    }

    os::closeFd(pipe.readFd);
    for (int pass = 0; pass < kEndPasses && os::childRunning(pid); ++pass)
        timer.Wait(kEndPassMilliseconds);
    ended_ = os::takeChildEnd(pid);
    running_ = -1;
    if (CommandOver)
        CommandOver();
    return outputs_;
}

} // namespace pw
