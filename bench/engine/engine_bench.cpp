// Runs one conversion job in one-PDF mode on the pictures named on the command line and
// reports its wall time and the peak memory of this process and of the builder.
//   engine_bench [--app DIR] [--quality 1-100|lossless] OUTPUT_FOLDER PICTURE...
#include "engine/ConversionJob.h"
#include "engine/windowless_host.h"
#include "jobfiles/quality_text.h"
#include "platform/paths.h"
#include "platform/pump.h"
#include "process/DOSOutputs.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

// Every message box goes to standard error and is answered OK.
class PrintingPrompts : public pw::os::Prompts {
public:
    int boxes = 0;
    pw::os::Answer messageBox(const std::string& text, const std::string& title, pw::os::Buttons,
                              pw::os::Icon, const std::string& = {}) override {
        ++boxes;
        std::fprintf(stderr, "[%s] %s\n", title.c_str(), text.c_str());
        return pw::os::Answer::Ok;
    }
    bool openFile(const pw::os::FileDialogRequest&, pw::os::FileDialogResult&) override {
        return false;
    }
    bool saveFile(const pw::os::FileDialogRequest&, pw::os::FileDialogResult&) override {
        return false;
    }
    bool browseFolder(const std::string&, std::string&) override { return false; }
    bool chooseColor(std::uint32_t, std::uint32_t&) override { return false; }
};

long peakKiB(int who) {
    rusage usage{};
    return getrusage(who, &usage) == 0 ? usage.ru_maxrss : -1;
}

} // namespace

int main(int argc, char** argv) {
    int first = 1;
    std::string app = PW_BENCH_APP_DIR;
    pw::engine::JobOptions options;
    while (argc - first > 2 && std::strncmp(argv[first], "--", 2) == 0) {
        if (std::strcmp(argv[first], "--app") == 0) {
            app = argv[first + 1];
        } else if (std::strcmp(argv[first], "--quality") != 0 ||
                   !pw::engine::parseQuality(argv[first + 1], options)) {
            first = argc; // usage
            break;
        }
        first += 2;
    }
    if (argc - first < 2) {
        std::fprintf(stderr, "usage: engine_bench [--app DIR] [--quality 1-100|lossless] "
                             "OUTPUT_FOLDER PICTURE...\n");
        return 2;
    }
    pw::os::setApplicationFolder(app);
    std::vector<std::string> files(argv + first + 1, argv + argc);
    pw::engine::WindowlessHost host(std::move(files), argv[first],
                                    {"Benchmark", "engine_bench", "", "", ""}, false, options);
    PrintingPrompts prompts;
    pw::os::SleepingPump pump;
    pw::DOSOutputs objDOS(pump, prompts);
    pw::DOSOutputs objShell(pump, prompts);
    pw::engine::ConversionJob job(host, prompts, pump, objDOS, objShell);

    const auto start = std::chrono::steady_clock::now();
    job.Command3_Click();
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    std::printf("seconds %.3f job_kib %ld builder_kib %ld messages %d\n", elapsed.count(),
                peakKiB(RUSAGE_SELF), peakKiB(RUSAGE_CHILDREN), prompts.boxes);
    return prompts.boxes == 0 ? 0 : 1;
}
