#include "platform/processes.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <mutex>
#include <signal.h>
#include <spawn.h>
#include <sstream>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

extern char** environ;

namespace pw::platform {
namespace {

std::mutex childrenMutex;
std::vector<pid_t> children;
std::vector<std::pair<pid_t, ChildEnd>> ends; // oldest first
constexpr std::size_t kKeptEnds = 64;

ChildEnd endOf(int status) {
    ChildEnd end;
    if (WIFEXITED(status)) {
        end.how = ChildEnd::How::Exited;
        end.value = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        end.how = ChildEnd::How::Signalled;
        end.value = WTERMSIG(status);
    }
    return end;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// 0 when path is an executable regular file, else the errno that explains why not.
int executableError(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return errno;
    if (!S_ISREG(info.st_mode))
        return EACCES;
    if (::access(path.c_str(), X_OK) != 0)
        return errno;
    return 0;
}

// The program to start: a name with '/' as it is, otherwise the first match on PATH.
bool resolveProgram(const std::string& name, std::string& path, int& error) {
    if (name.empty()) {
        error = ENOENT;
        return false;
    }
    if (name.find('/') != std::string::npos) {
        error = executableError(name);
        path = name;
        return error == 0;
    }
    const char* pathVariable = std::getenv("PATH");
    const std::string searchPath =
        pathVariable != nullptr ? std::string(pathVariable) : std::string("/usr/bin:/bin");
    error = ENOENT;
    std::size_t start = 0;
    for (;;) {
        const auto colon = searchPath.find(':', start);
        std::string folder = searchPath.substr(start, colon == std::string::npos ? std::string::npos
                                                                                 : colon - start);
        if (folder.empty())
            folder.assign(1, '.');
        const std::string candidate = folder + "/" + name;
        const int candidateError = executableError(candidate);
        if (candidateError == 0) {
            path = candidate;
            error = 0;
            return true;
        }
        if (candidateError == EACCES)
            error = EACCES;
        if (colon == std::string::npos)
            return false;
        start = colon + 1;
    }
}

} // namespace

bool createPipe(Pipe& pipe, int& error) {
    int fds[2] = {-1, -1};
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        error = errno;
        return false;
    }
    pipe.readFd = fds[0];
    pipe.writeFd = fds[1];
    error = 0;
    return true;
}

void closeFd(int& fd) {
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

bool sealedInput(const std::string& text, int& fd, int& error) {
    int file = ::memfd_create("input", MFD_CLOEXEC | MFD_ALLOW_SEALING);
    if (file < 0) {
        error = errno;
        return false;
    }
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t written = ::write(file, text.data() + done, text.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            error = written < 0 ? errno : EIO;
            closeFd(file);
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    if (::fcntl(file, F_ADD_SEALS, F_SEAL_SEAL | F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE) != 0 ||
        ::lseek(file, 0, SEEK_SET) != 0) {
        error = errno;
        closeFd(file);
        return false;
    }
    fd = file;
    error = 0;
    return true;
}

std::vector<std::string> splitCommandLine(const std::string& commandLine) {
    std::vector<std::string> arguments;
    std::size_t i = 0;
    const std::size_t n = commandLine.size();
    while (i < n && isBlank(commandLine[i]))
        ++i;
    if (i == n)
        return arguments;

    // The program: a quoted one ends at the next quote, an unquoted one at the next blank.
    std::string program;
    if (commandLine[i] == '"') {
        ++i;
        while (i < n && commandLine[i] != '"')
            program += commandLine[i++];
        if (i < n)
            ++i;
    } else {
        while (i < n && !isBlank(commandLine[i]))
            program += commandLine[i++];
    }
    arguments.push_back(program);
    while (i < n && isBlank(commandLine[i]))
        ++i;
    if (i == n)
        return arguments;

    // The arguments: backslashes escape quotes only, quotes group blanks.
    std::string current;
    bool inQuotes = false;
    std::size_t backslashes = 0;
    while (i < n) {
        const char c = commandLine[i];
        if (isBlank(c) && !inQuotes) {
            current.append(backslashes, '\\');
            backslashes = 0;
            arguments.push_back(current);
            current.clear();
            while (i < n && isBlank(commandLine[i]))
                ++i;
            if (i == n)
                return arguments;
            continue;
        }
        if (c == '\\') {
            ++backslashes;
            ++i;
            continue;
        }
        if (c == '"') {
            current.append(backslashes / 2, '\\');
            int quotes = inQuotes ? 1 : 0;
            if (backslashes % 2 == 1)
                current += '"';
            else
                ++quotes;
            backslashes = 0;
            ++i;
            // A run of quotes: every third one is a literal quote.
            while (i < n && commandLine[i] == '"') {
                if (++quotes == 3) {
                    current += '"';
                    quotes = 0;
                }
                ++i;
            }
            inQuotes = quotes == 1;
            continue;
        }
        current.append(backslashes, '\\');
        backslashes = 0;
        current += c;
        ++i;
    }
    current.append(backslashes, '\\');
    arguments.push_back(current);
    return arguments;
}

std::string quoteArgument(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string::npos)
        return argument;
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"')
            quoted.append(backslashes * 2 + 1, '\\');
        else
            quoted.append(backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, '\\');
    quoted += '"';
    return quoted;
}

int spawnWithOutput(const std::string& commandLine, int outputFd, int& error,
                    std::string* programPath, const std::string& workingFolder, int inputFd) {
    const std::vector<std::string> arguments = splitCommandLine(commandLine);
    std::string program;
    if (arguments.empty() || !resolveProgram(arguments.front(), program, error)) {
        if (arguments.empty())
            error = ENOENT;
        return -1;
    }
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    if ((error = posix_spawn_file_actions_init(&actions)) != 0)
        return -1;
    if ((error = posix_spawnattr_init(&attributes)) != 0) {
        posix_spawn_file_actions_destroy(&actions);
        return -1;
    }
    sigset_t noSignals;
    sigset_t defaults;
    sigemptyset(&noSignals);
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    pid_t pid = -1;
    error = inputFd >= 0 ? posix_spawn_file_actions_adddup2(&actions, inputFd, 0)
                         : posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (error == 0)
        error = posix_spawn_file_actions_adddup2(&actions, outputFd, 1);
    if (error == 0)
        error = posix_spawn_file_actions_adddup2(&actions, outputFd, 2);
    if (error == 0 && !workingFolder.empty())
        error = posix_spawn_file_actions_addchdir_np(&actions, workingFolder.c_str());
    if (error == 0)
        error = posix_spawnattr_setsigmask(&attributes, &noSignals);
    if (error == 0)
        error = posix_spawnattr_setsigdefault(&attributes, &defaults);
    if (error == 0)
        error =
            posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    if (error == 0)
        error = posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0)
        return -1;
    if (programPath != nullptr)
        *programPath = program;
    std::lock_guard<std::mutex> lock(childrenMutex);
    children.push_back(pid);
    return pid;
}

void reapChildren() {
    std::lock_guard<std::mutex> lock(childrenMutex);
    std::erase_if(children, [](pid_t pid) {
        int status = 0;
        const pid_t result = ::waitpid(pid, &status, WNOHANG);
        if (result == pid) {
            if (ends.size() == kKeptEnds)
                ends.erase(ends.begin());
            ends.emplace_back(pid, endOf(status));
        }
        return result == pid || (result < 0 && errno == ECHILD);
    });
}

bool childRunning(int pid) {
    reapChildren();
    std::lock_guard<std::mutex> lock(childrenMutex);
    return std::find(children.begin(), children.end(), static_cast<pid_t>(pid)) != children.end();
}

ChildEnd takeChildEnd(int pid) {
    std::lock_guard<std::mutex> lock(childrenMutex);
    const auto found =
        std::find_if(ends.begin(), ends.end(), [pid](const auto& end) { return end.first == pid; });
    if (found == ends.end())
        return {};
    const ChildEnd end = found->second;
    ends.erase(found);
    return end;
}

long bytesInPipe(int fd) {
    int count = 0;
    if (fd < 0 || ::ioctl(fd, FIONREAD, &count) != 0 || count < 0)
        return 0;
    return count;
}

long readPipe(int fd, char* buffer, long size) {
    if (fd < 0 || buffer == nullptr || size <= 0)
        return -1;
    for (;;) {
        const ssize_t got = ::read(fd, buffer, static_cast<std::size_t>(size));
        if (got >= 0)
            return static_cast<long>(got);
        if (errno != EINTR)
            return -1;
    }
}

std::vector<ProcessEntry> listProcesses() {
    std::vector<ProcessEntry> entries;
    DIR* proc = ::opendir("/proc");
    if (proc == nullptr)
        return entries;
    while (const dirent* item = ::readdir(proc)) {
        const std::string name = item->d_name;
        if (name.empty() || !std::all_of(name.begin(), name.end(),
                                         [](unsigned char c) { return std::isdigit(c) != 0; }))
            continue;
        std::ifstream statFile("/proc/" + name + "/stat");
        std::string line;
        if (!statFile || !std::getline(statFile, line))
            continue; // ended meanwhile
        // "pid (comm) state ...": comm may itself hold blanks and parentheses.
        const auto open = line.find('(');
        const auto close = line.rfind(')');
        if (open == std::string::npos || close == std::string::npos || close < open ||
            close + 2 >= line.size())
            continue;
        ProcessEntry entry;
        entry.pid = std::atoi(name.c_str());
        entry.imageName = line.substr(open + 1, close - open - 1);
        const char state = line[close + 2];
        entry.zombie = state == 'Z' || state == 'X';
        entries.push_back(entry);
    }
    ::closedir(proc);
    return entries;
}

std::vector<int> processesRunningExecutable(const std::string& path) {
    std::vector<int> found;
    struct stat wanted {};
    const bool exists = ::stat(path.c_str(), &wanted) == 0;
    char* real = ::realpath(path.c_str(), nullptr);
    const std::string replaced = (real != nullptr ? std::string(real) : path) + " (deleted)";
    std::free(real);
    const uid_t user = ::geteuid();
    const int self = static_cast<int>(::getpid());
    for (const ProcessEntry& entry : listProcesses()) {
        if (entry.zombie || entry.pid == self)
            continue;
        const std::string proc = "/proc/" + std::to_string(entry.pid);
        struct stat owner {};
        if (::stat(proc.c_str(), &owner) != 0 || owner.st_uid != user)
            continue;
        struct stat running {};
        if (exists && ::stat((proc + "/exe").c_str(), &running) == 0 &&
            running.st_dev == wanted.st_dev && running.st_ino == wanted.st_ino) {
            found.push_back(entry.pid);
            continue;
        }
        char link[4096];
        const ssize_t length = ::readlink((proc + "/exe").c_str(), link, sizeof link);
        if (length > 0 && std::string(link, static_cast<std::size_t>(length)) == replaced)
            found.push_back(entry.pid);
    }
    return found;
}

bool executableRunning(const std::string& path) {
    return !processesRunningExecutable(path).empty();
}

bool processWorksIn(int pid, const std::string& folder) {
    struct stat wanted {};
    struct stat working {};
    return pid > 0 && ::stat(folder.c_str(), &wanted) == 0 &&
           ::stat(("/proc/" + std::to_string(pid) + "/cwd").c_str(), &working) == 0 &&
           working.st_dev == wanted.st_dev && working.st_ino == wanted.st_ino;
}

void terminateProcess(int pid) {
    if (pid > 0)
        ::kill(pid, SIGKILL);
}

} // namespace pw::platform
