// A stand-in for the PDF tool, built as "pdf.exe". Each argument is one step, then each line
// of the environment variable PW_FAKE_STEPS (the job starts the tool with "/NOASK" only):
//   input      standard input, to its end, on standard output
//   print:N    N more bytes of toolPattern     text:T   T on standard output
//   err:T      T on standard error             sleep:MS pause
//   args       all arguments joined by '|' and a newline
//   exit:N     end with exit code N            kill     end by SIGKILL
//   when:PATH  the next step only if PATH exists        remove:PATH  remove the file PATH
//   run:PATH   run PATH with the fake's own arguments and standard input and end as it ended
//              (a real builder behind the fake)
#include "fake_tool_pattern.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

void writeAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t written = ::write(fd, text.data() + done, text.size() - done);
        if (written <= 0)
            std::exit(9);
        done += static_cast<std::size_t>(written);
    }
}

int runToEnd(const std::string& program, char** argv) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        argv[0] = const_cast<char*>(program.c_str());
        ::execv(program.c_str(), argv);
        ::_exit(127);
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid)
        return 9;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> steps(argv + 1, argv + argc);
    if (const char* more = std::getenv("PW_FAKE_STEPS")) {
        const std::string lines = more;
        for (std::size_t start = 0; start < lines.size();) {
            const std::size_t end = std::min(lines.find('\n', start), lines.size());
            steps.push_back(lines.substr(start, end - start));
            start = end + 1;
        }
    }
    std::size_t printed = 0;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const std::string& step = steps[i];
        const auto colon = step.find(':');
        const std::string verb = step.substr(0, colon);
        const std::string value = colon == std::string::npos ? "" : step.substr(colon + 1);
        if (verb == "print") {
            const auto count = static_cast<std::size_t>(std::stoul(value));
            writeAll(1, pw::test::toolPattern(printed, count));
            printed += count;
        } else if (verb == "text") {
            writeAll(1, value);
        } else if (verb == "err") {
            writeAll(2, value);
        } else if (verb == "sleep") {
            std::this_thread::sleep_for(std::chrono::milliseconds(std::stoi(value)));
        } else if (verb == "args") {
            std::string all;
            for (int k = 1; k < argc; ++k) {
                if (k > 1)
                    all += '|';
                all += argv[k];
            }
            writeAll(1, all + "\n");
        } else if (verb == "exit") {
            return std::stoi(value);
        } else if (verb == "kill") {
            ::kill(::getpid(), SIGKILL);
        } else if (verb == "when") {
            if (::access(value.c_str(), F_OK) != 0)
                ++i;
        } else if (verb == "remove") {
            ::unlink(value.c_str());
        } else if (verb == "input") {
            char buffer[4096];
            ssize_t got = 0;
            while ((got = ::read(0, buffer, sizeof buffer)) > 0)
                writeAll(1, std::string(buffer, static_cast<std::size_t>(got)));
        } else if (verb == "run") {
            return runToEnd(value, argv);
        }
    }
    return 0;
}
