#pragma once
// A JobHost that keeps what the windows would show in fields and records every call in order.
#include "app/job_host.h"

#include <string>
#include <vector>

namespace pw::test {

class FakeJobHost : public app::JobHost {
public:
    std::vector<std::string> files;
    std::vector<int> turns;                  // degrees clockwise by picture; missing ones 0
    std::vector<std::vector<int>> pageLists; // a PDF's pages by picture; missing ones all
    std::vector<std::string> shown; // display paths by picture; missing ones the working path
    jobfiles::Encryption secrets;
    std::string folder;
    std::string titleText = "New PDF Document";
    job::DocumentProperties properties;
    bool perPicture = false;
    jobfiles::JobOptions options;

    std::vector<std::string> frontTexts; // every text the front window's label showed
    app::JobProgress progress;           // the progress display as last reported
    std::vector<std::string> log;        // states, visibility of the progress, shell calls

    int fileCount() const override { return static_cast<int>(files.size()); }
    std::string workingPath(int index) const override {
        return files.at(static_cast<std::size_t>(index));
    }
    int rotation(int index) const override {
        const auto at = static_cast<std::size_t>(index);
        return at < turns.size() ? turns[at] : 0;
    }
    std::vector<int> pdfPages(int index) const override {
        const auto at = static_cast<std::size_t>(index);
        return at < pageLists.size() ? pageLists[at] : std::vector<int>();
    }
    std::string displayPath(int index) const override {
        const auto at = static_cast<std::size_t>(index);
        return at < shown.size() ? shown[at] : workingPath(index);
    }
    jobfiles::Encryption encryption() const override { return secrets; }
    std::string outputFolder() const override { return folder; }
    void setOutputFolder(const std::string& value) override {
        folder = value;
        log.push_back("txtPath=" + value);
    }
    std::string title() const override { return titleText; }
    job::DocumentProperties documentProperties() const override { return properties; }
    bool onePdfPerPicture() const override { return perPicture; }
    jobfiles::JobOptions jobOptions() const override { return options; }

    void jobStateChanged(app::JobState state) override {
        static const char* const names[] = {"idle", "preparing", "running"};
        log.push_back(std::string("state ") + names[static_cast<int>(state)]);
    }
    void showProgress(const app::JobProgress& shownNow) override {
        if (shownNow.visible != progress.visible)
            log.push_back(shownNow.visible ? "progress on" : "progress off");
        progress = shownNow;
        frontTexts.push_back(shownNow.text);
    }

    void openFolder(const std::string& value) override { log.push_back("open " + value); }
    void beep() override { log.push_back("beep"); }
};

} // namespace pw::test
