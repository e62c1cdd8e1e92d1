#pragma once
// Starting and watching fake-tool processes outside the runner.
#include "platform/files.h"
#include "platform/processes.h"
#include "temp_folder.h"

#include <chrono>
#include <fcntl.h>
#include <fstream>
#include <signal.h>
#include <spawn.h>
#include <sstream>
#include <stdlib.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace pw::test {

inline const std::string kFakeTool = PW_FAKE_TOOL;
inline const std::string kFakeMyPdf = PW_FAKE_MYPDF;

// Starts program with arguments, its output discarded, in workingFolder when one is given;
// -1 on failure.
inline pid_t startProcess(const std::string& program, const std::vector<std::string>& arguments,
                          const std::string& workingFolder = "") {
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    if (!workingFolder.empty())
        posix_spawn_file_actions_addchdir_np(&actions, workingFolder.c_str());
    pid_t pid = -1;
    const int error = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return error == 0 ? pid : -1;
}

// Reaps pid if it has ended; waits up to limitMs for that. Sets status when it ended.
inline bool endedWithin(pid_t pid, int limitMs, int& status) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    for (;;) {
        const pid_t result = ::waitpid(pid, &status, WNOHANG);
        if (result == pid)
            return true;
        if (result < 0 || std::chrono::steady_clock::now() >= limit)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

inline void killAndReap(pid_t pid) {
    if (pid <= 0)
        return;
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
}

// Children of this process that have ended but were never reaped.
inline int zombieChildren() {
    int count = 0;
    for (const platform::ProcessEntry& entry : platform::listProcesses()) {
        if (!entry.zombie)
            continue;
        std::ifstream stat("/proc/" + std::to_string(entry.pid) + "/stat");
        std::string line;
        std::getline(stat, line);
        const auto close = line.rfind(')');
        if (close == std::string::npos)
            continue;
        std::istringstream fields(line.substr(close + 2));
        char state = 0;
        int parent = 0;
        fields >> state >> parent;
        if (parent == ::getpid())
            ++count;
    }
    return count;
}

// A copy of the fake tool under another name (the image name comes from the file name).
inline bool copyToolTo(const std::string& path) {
    return platform::copyFile(kFakeTool, path, false);
}

} // namespace pw::test
