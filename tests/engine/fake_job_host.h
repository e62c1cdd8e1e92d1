#pragma once
// A JobHost that keeps the windows' state in fields and records every call in order.
#include "core/job_host.h"

#include <string>
#include <vector>

namespace pw::test {

class FakeJobHost : public JobHost {
public:
    std::vector<std::string> files;
    std::vector<int> turns;         // degrees clockwise by picture; missing ones 0
    std::vector<std::string> shown; // display paths by picture; missing ones the working path
    pdftool::Encryption secrets;
    std::string folder;
    std::string titleText = "New PDF Document";
    engine::DocumentProperties properties;
    bool perPicture = false;
    engine::JobOptions options;

    std::string engineText = "0%";
    std::vector<std::string> frontTexts; // every text the front lblPB showed
    double track = 1000.0;
    double bar = 0.0;
    bool progressVisible = false;
    std::vector<std::string> log; // locked set, visibility, shell calls, in order

    int fileCount() const override { return static_cast<int>(files.size()); }
    std::string workingPath(int index) const override {
        return files.at(static_cast<std::size_t>(index));
    }
    int rotation(int index) const override {
        const auto at = static_cast<std::size_t>(index);
        return at < turns.size() ? turns[at] : 0;
    }
    std::string displayPath(int index) const override {
        const auto at = static_cast<std::size_t>(index);
        return at < shown.size() ? shown[at] : workingPath(index);
    }
    pdftool::Encryption encryption() const override { return secrets; }
    std::string outputFolder() const override { return folder; }
    void setOutputFolder(const std::string& value) override {
        folder = value;
        log.push_back("txtPath=" + value);
    }
    std::string title() const override { return titleText; }
    engine::DocumentProperties documentProperties() const override { return properties; }
    bool onePdfPerPicture() const override { return perPicture; }
    engine::JobOptions jobOptions() const override { return options; }

    void setCommand3Enabled(bool on) override { log.push_back(flag("Command3", on)); }
    void setToolsBarEnabled(bool on) override { log.push_back(flag("CmdToolsBar", on)); }
    void focusToolsBarButtons() override { log.push_back("focus CmdToolsBar"); }
    void setFrontControlsEnabled(bool on) override { log.push_back(flag("front", on)); }
    void setFilenameLabelVisible(bool on) override { log.push_back(flag("lblFilename", on)); }

    std::string engineProgressText() const override { return engineText; }
    void setEngineProgressText(const std::string& text) override { engineText = text; }
    void setFrontProgressText(const std::string& text) override { frontTexts.push_back(text); }
    void setProgressVisible(bool on) override {
        progressVisible = on;
        log.push_back(flag("progress", on));
    }
    double trackWidth() const override { return track; }
    double barWidth() const override { return bar; }
    void setBarWidth(double width) override { bar = width; }

    void openFolder(const std::string& value) override { log.push_back("open " + value); }
    void beep() override { log.push_back("beep"); }

private:
    static std::string flag(const std::string& name, bool on) {
        return name + (on ? " on" : " off");
    }
};

} // namespace pw::test
