#pragma once
// Child processes, pipes and the process list.
#include <string>
#include <vector>

namespace pw::platform {

struct Pipe {
    int readFd = -1;
    int writeFd = -1;
};

// An anonymous pipe, both ends close-on-exec. Returns false and sets error (errno) on failure.
bool createPipe(Pipe& pipe, int& error);
void closeFd(int& fd); // closes and sets -1; -1 is ignored
// A file in memory holding `text`, sealed against change and read from its start: a child
// given it as standard input reads the text, then the end of the file, however long the text
// (a pipe filled before its reader starts holds 64 KiB). Close-on-exec. Returns false and sets
// error (errno) on failure.
bool sealedInput(const std::string& text, int& fd, int& error);

// Splits one command line into arguments with the Windows rules (quotes group blanks,
// backslashes before a quote escape it, "" inside quotes is a literal quote).
std::vector<std::string> splitCommandLine(const std::string& commandLine);
// Quotes an argument for such a command line when it holds a blank or a quote.
std::string quoteArgument(const std::string& argument);

// Starts the command line (program found through PATH when it has no '/') with standard
// output and standard error on outputFd and standard input on inputFd (/dev/null when -1), in
// workingFolder when one is given. Returns the pid, or -1 with error set; program (when given)
// receives the path of the file started. The child is remembered and reaped by reapChildren().
int spawnWithOutput(const std::string& commandLine, int outputFd, int& error,
                    std::string* program = nullptr, const std::string& workingFolder = "",
                    int inputFd = -1);
// Collects every finished child started by spawnWithOutput (no zombies left behind).
void reapChildren();
// True while the child pid, started by spawnWithOutput, has not ended (after collecting the
// children that have).
bool childRunning(int pid);

// How a child ended: its exit code or the signal that ended it.
struct ChildEnd {
    enum class How { Unknown, Exited, Signalled };
    How how = How::Unknown;
    int value = 0; // the exit code, or the signal's number
};
// How the child pid ended, once reapChildren has collected it (Unknown until then); each end
// is handed out once. Ends nobody asks for are dropped after a while.
ChildEnd takeChildEnd(int pid);

// Bytes waiting in a pipe (FIONREAD); 0 when none or on error.
long bytesInPipe(int fd);
// One read of at most size bytes; the count read, 0 at end of file, -1 on error.
long readPipe(int fd, char* buffer, long size);

struct ProcessEntry {
    int pid = 0;
    std::string imageName; // /proc/PID/comm
    bool zombie = false;
};
std::vector<ProcessEntry> listProcesses();
// Live processes of this user (not this one) running the executable file at path: the same
// file by device and inode, or by path when the file was replaced since the process started.
std::vector<int> processesRunningExecutable(const std::string& path);
bool executableRunning(const std::string& path);
// True when the process's working folder is the folder (the same directory by device and
// inode).
bool processWorksIn(int pid, const std::string& folder);
// SIGKILL, errors ignored.
void terminateProcess(int pid);

} // namespace pw::platform
