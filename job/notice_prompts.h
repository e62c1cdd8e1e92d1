#pragma once
// The prompts a job gives its builder runners: a message box is kept as a notice for the end
// of the job instead of being shown (the job runs off the window's thread), and no dialog is
// ever opened.
#include "job/job_events.h"
#include "platform/prompts.h"

#include <vector>

namespace pw::job {

class NoticePrompts : public platform::Prompts {
public:
    std::vector<JobNotice> notices;

    platform::Answer messageBox(const std::string& text, const std::string& title,
                                platform::Buttons, platform::Icon icon,
                                const std::string& = {}) override {
        notices.push_back({text, title, icon});
        return platform::Answer::Ok;
    }
    bool openFile(const platform::FileDialogRequest&, platform::FileDialogResult&) override {
        return false;
    }
    bool saveFile(const platform::FileDialogRequest&, platform::FileDialogResult&) override {
        return false;
    }
    bool browseFolder(const std::string&, std::string&) override { return false; }
    bool chooseColor(std::uint32_t, std::uint32_t&) override { return false; }
};

} // namespace pw::job
