#pragma once
// The conversion job's host on the command line: the request's pictures and settings, no
// window; progress goes to a ProgressDisplay.
#include "cli/command_line.h"
#include "cli/progress_display.h"
#include "engine/job_host.h"

#include <string>
#include <utility>
#include <vector>

namespace pw::cli {

class ConsoleHost : public engine::JobHost {
public:
    ConsoleHost(const ConvertRequest& request, std::vector<std::string> pictures,
                ProgressDisplay& progress)
        : request_(request), pictures_(std::move(pictures)), folder_(request.outputFolder),
          progress_(progress) {}

    int fileCount() const override { return static_cast<int>(pictures_.size()); }
    std::string workingPath(int index) const override {
        return pictures_.at(static_cast<std::size_t>(index));
    }
    std::string outputFolder() const override { return folder_; }
    void setOutputFolder(const std::string& folder) override { folder_ = folder; }
    std::string title() const override { return request_.properties.title; }
    engine::DocumentProperties documentProperties() const override { return request_.properties; }
    bool onePdfPerPicture() const override { return request_.perPicture; }
    engine::JobOptions jobOptions() const override { return request_.options; }

    // Nothing to lock or focus without a window.
    void setCommand3Enabled(bool) override {}
    void setToolsBarEnabled(bool) override {}
    void focusToolsBarButtons() override {}
    void setFrontControlsEnabled(bool) override {}
    void setFilenameLabelVisible(bool) override {}

    std::string engineProgressText() const override { return engineText_; }
    void setEngineProgressText(const std::string& text) override { engineText_ = text; }
    void setFrontProgressText(const std::string&) override {}
    void setProgressVisible(bool) override {}
    double trackWidth() const override { return kTrackWidth; }
    double barWidth() const override { return bar_; }
    void setBarWidth(double width) override { bar_ = width; }
    void reportProgress(engine::JobStage stage, int done, int total) override {
        progress_.show(stage, done, total);
    }

    // The command line opens no folder and makes no sound.
    void openFolder(const std::string&) override {}
    void beep() override {}

private:
    static constexpr double kTrackWidth = 1000.0;

    const ConvertRequest& request_;
    std::vector<std::string> pictures_;
    std::string folder_;
    ProgressDisplay& progress_;
    std::string engineText_;
    double bar_ = 0;
};

} // namespace pw::cli
