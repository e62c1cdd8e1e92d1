#include "platform/DOSOutputs.h"

#include "platform/narrow.h"
#include "platform/processes.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace pw::platform {

WakeFd::WakeFd() : fd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

WakeFd::~WakeFd() {
    if (fd_ >= 0)
        ::close(fd_);
}

void WakeFd::wake() const {
    const std::uint64_t one = 1;
    if (fd_ >= 0) [[maybe_unused]]
        const ssize_t written = ::write(fd_, &one, sizeof one);
}

void WakeFd::drain() const {
    std::uint64_t count = 0;
    if (fd_ >= 0) [[maybe_unused]]
        const ssize_t got = ::read(fd_, &count, sizeof count);
}

namespace {

// A descriptor that becomes readable when the child ends (Linux 5.3 on), or -1.
int openPidFd(int pid) {
    const long fd = ::syscall(SYS_pidfd_open, pid, 0);
    if (fd >= 0)
        ::fcntl(static_cast<int>(fd), F_SETFD, FD_CLOEXEC);
    return static_cast<int>(fd);
}

// How long a wait lasts without a descriptor for the child's end: its end is then looked at
// between waits.
constexpr int kWithoutPidFdMilliseconds = 50;

} // namespace

DOSOutputs::DOSOutputs(MessagePump& pump, Prompts& prompts) : pump_(pump), prompts_(prompts) {}

void DOSOutputs::interrupt() {
    wake_.wake();
}

bool DOSOutputs::waitForEvent(int readFd, bool pipeOpen, int pidFd) {
    pollfd fds[3] = {
        {wake_.fd(), POLLIN, 0}, {pidFd, POLLIN, 0}, {pipeOpen ? readFd : -1, POLLIN, 0}};
    const int timeout = pidFd >= 0 ? -1 : kWithoutPidFdMilliseconds;
    while (::poll(fds, 3, timeout) < 0 && errno == EINTR) {
    }
    if ((fds[0].revents & POLLIN) != 0)
        wake_.drain();
    // A pipe at its end with the child still running (it closed its output) is not waited on
    // again: poll would report the hang-up at once, every time.
    return pipeOpen &&
           !((fds[2].revents & (POLLHUP | POLLERR)) != 0 && (fds[2].revents & POLLIN) == 0);
}

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
    if (!input_.empty() && !sealedInput(input_, input, error)) {
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

    // The job's thread sleeps until the builder writes or ends, or a stop wakes it.
    const int pidFd = openPidFd(pid);
    char buffer[kChunkSize];
    bool readSucceeded = true;
    bool pipeOpen = true;
    bool stopped = false;
    do {
        if (!stopped && StopRequested && StopRequested()) {
            terminateProcess(pid);
            stopped = true;
        }
        if (pipeOpen && bytesInPipe(pipe.readFd) > 0) {
            const long got = readPipe(pipe.readFd, buffer, kChunkSize);
            readSucceeded = got > 0;
            if (got > 0) {
                deliver(buffer, got);
                pump_.pumpOnce();
                continue;
            }
        }
        if (!childRunning(pid))
            break;
        pipeOpen = waitForEvent(pipe.readFd, pipeOpen, pidFd);
    } while (readSucceeded);
    if (pidFd >= 0)
        ::close(pidFd);

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
        ::usleep(kEndPassMilliseconds * 1000);
    ended_ = takeChildEnd(pid);
    running_ = -1;
    if (CommandOver)
        CommandOver();
    return outputs_;
}

} // namespace pw::platform
