// Runs one conversion job in one-PDF mode on the pictures named on the command line and
// reports its wall time and the peak memory of this process and of the builder.
//   engine_bench [--app DIR] [--quality 1-100|lossless] OUTPUT_FOLDER PICTURE...
#include "engine/ConversionJob.h"
#include "engine/quality_text.h"
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

// A host without windows: the list, the output folder and a silent progress display.
class PlainHost : public pw::engine::JobHost {
public:
    PlainHost(std::vector<std::string> files, std::string folder, pw::engine::JobOptions options)
        : files_(std::move(files)), folder_(std::move(folder)), options_(options) {}

    int fileCount() const override { return static_cast<int>(files_.size()); }
    std::string workingPath(int index) const override {
        return files_[static_cast<std::size_t>(index)];
    }
    std::string outputFolder() const override { return folder_; }
    void setOutputFolder(const std::string& folder) override { folder_ = folder; }
    std::string title() const override { return "Benchmark"; }
    pw::engine::DocumentProperties documentProperties() const override {
        return {"Benchmark", "engine_bench", "", "", ""};
    }
    bool onePdfPerPicture() const override { return false; }
    pw::engine::JobOptions jobOptions() const override { return options_; }
    void setCommand3Enabled(bool) override {}
    void setToolsBarEnabled(bool) override {}
    void focusToolsBarButtons() override {}
    void setFrontControlsEnabled(bool) override {}
    void setFilenameLabelVisible(bool) override {}
    std::string engineProgressText() const override { return engineText_; }
    void setEngineProgressText(const std::string& text) override { engineText_ = text; }
    void setFrontProgressText(const std::string&) override {}
    void setProgressVisible(bool) override {}
    double trackWidth() const override { return 1000.0; }
    double barWidth() const override { return bar_; }
    void setBarWidth(double width) override { bar_ = width; }
    void openFolder(const std::string&) override {}
    void beep() override {}

private:
    std::vector<std::string> files_;
    std::string folder_;
    pw::engine::JobOptions options_;
    std::string engineText_ = "0%";
    double bar_ = 0;
};

// Every message box goes to standard error and is answered OK.
class PrintingPrompts : public pw::os::Prompts {
public:
    int boxes = 0;
    pw::os::Answer messageBox(const std::string& text, const std::string& title, pw::os::Buttons,
                              pw::os::Icon) override {
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
    PlainHost host(std::move(files), argv[first], options);
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
