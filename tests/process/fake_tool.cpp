// A stand-in for the PDF tool, built as "pdf.exe". Each argument is one step:
//   print:N    N more bytes of toolPattern     text:T   T on standard output
//   err:T      T on standard error             sleep:MS pause
//   args       all arguments joined by '|' and a newline
//   exit:N     end with exit code N
#include "fake_tool_pattern.h"

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <unistd.h>

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

} // namespace

int main(int argc, char** argv) {
    std::size_t printed = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string step = argv[i];
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
        }
    }
    return 0;
}
