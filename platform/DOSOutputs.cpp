#include "platform/DOSOutputs.h"

#include "platform/clsWaitableTimer.h"
#include "platform/narrow.h"
#include "platform/processes.h"

#include <algorithm>

namespace pw::platform {

DOSOutputs::DOSOutputs(MessagePump& pump, Prompts& prompts) : pump_(pump), prompts_(prompts) {}

void DOSOutputs::EndCommand() {
    const int pid = running_;
    if (pid > 0 && childRunning(pid))
        terminateProcess(pid);
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
    ended_ = ChildEnd();
    if (commandLine_.empty()) {
        prompts_.messageBox("Command Line empty", kProgramTitle, Buttons::Ok, Icon::Error);
        return "";
    }

    Pipe pipe;
    int error = 0;
    if (!createPipe(pipe, error)) {
        prompts_.messageBox("CreatePipe failed. Error: " + std::to_string(error), kProgramTitle,
                            Buttons::Ok, Icon::Error);
        return "";
    }
    int input = -1;
    if (!input_.empty() && !pipeHolding(input_, input, error)) {
        prompts_.messageBox("CreatePipe failed. Error: " + std::to_string(error), kProgramTitle,
                            Buttons::Ok, Icon::Error);
        closeFd(pipe.readFd);
        closeFd(pipe.writeFd);
        return "";
    }
    const int pid = spawnWithOutput(toNarrow(commandLine_), pipe.writeFd, error, nullptr,
                                    workingFolder_, input);
    closeFd(input);
    if (pid < 0) {
        prompts_.messageBox("File or command not found", kProgramTitle, Buttons::Ok, Icon::Error);
        closeFd(pipe.readFd);
        closeFd(pipe.writeFd);
        return "";
    }
    closeFd(pipe.writeFd);
    outputs_.clear();
    running_ = pid;

    clsWaitableTimer timer(pump_);
    char buffer[kChunkSize];
    bool readSucceeded = true;
    bool over = false;
    bool stopped = false;
    do {
        if (!stopped && StopRequested && StopRequested()) {
            terminateProcess(pid);
            stopped = true;
        }
        if (bytesInPipe(pipe.readFd) > 0) {
            const long got = readPipe(pipe.readFd, buffer, kChunkSize);
            readSucceeded = got > 0;
            if (got > 0)
                deliver(buffer, got);
        }
        if (!childRunning(pid))
            over = true;
        pump_.pumpOnce();
        timer.Wait(kPassMilliseconds);
    } while (readSucceeded && !over);

    // The tool has ended, so all it wrote is in the pipe: hand over what is there, chunk by
    // chunk. A writer that still runs (a program the tool started) is not waited for.
    long left = readSucceeded ? bytesInPipe(pipe.readFd) : 0;
    while (left > 0) {
        const long got = readPipe(pipe.readFd, buffer, std::min(left, kChunkSize));
        if (got <= 0)
            break;
        deliver(buffer, got);
        left -= got;
    }

    closeFd(pipe.readFd);
    for (int pass = 0; pass < kEndPasses && childRunning(pid); ++pass)
        timer.Wait(kEndPassMilliseconds);
    ended_ = takeChildEnd(pid);
    running_ = -1;
    if (CommandOver)
        CommandOver();
    return outputs_;
}

} // namespace pw::platform
