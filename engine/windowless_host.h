#pragma once
// A job host without windows: a fixed list of pictures and settings, nothing to lock, focus,
// open or sound. The command line and the benchmark driver run the job through it.
#include "engine/job_host.h"

#include <string>
#include <utility>
#include <vector>

namespace pw::engine {

class WindowlessHost : public JobHost {
public:
    WindowlessHost(std::vector<std::string> pictures, std::string outputFolder,
                   DocumentProperties properties, bool perPicture, JobOptions options)
        : pictures_(std::move(pictures)), folder_(std::move(outputFolder)),
          properties_(std::move(properties)), perPicture_(perPicture), options_(options) {}

    int fileCount() const override { return static_cast<int>(pictures_.size()); }
    std::string workingPath(int index) const override {
        return pictures_.at(static_cast<std::size_t>(index));
    }
    std::string outputFolder() const override { return folder_; }
    void setOutputFolder(const std::string& folder) override { folder_ = folder; }
    std::string title() const override { return properties_.title; }
    DocumentProperties documentProperties() const override { return properties_; }
    bool onePdfPerPicture() const override { return perPicture_; }
    JobOptions jobOptions() const override { return options_; }

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

    void openFolder(const std::string&) override {}
    void beep() override {}

private:
    static constexpr double kTrackWidth = 1000.0;

    std::vector<std::string> pictures_;
    std::string folder_;
    DocumentProperties properties_;
    bool perPicture_;
    JobOptions options_;
    std::string engineText_ = "0%";
    double bar_ = 0;
};

} // namespace pw::engine
