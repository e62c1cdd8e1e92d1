#pragma once
// The prompts a job gives its builder runners: a message box is kept as a notice for the end
// of the job instead of being shown (the job runs off the window's thread), and no dialog is
// ever opened.
#include "engine/job_events.h"
#include "platform/prompts.h"

#include <vector>

namespace pw::engine {

class NoticePrompts : public os::Prompts {
public:
    std::vector<JobNotice> notices;

    os::Answer messageBox(const std::string& text, const std::string& title, os::Buttons,
                          os::Icon icon, const std::string& = {}) override {
        notices.push_back({text, title, icon});
        return os::Answer::Ok;
    }
    bool openFile(const os::FileDialogRequest&, os::FileDialogResult&) override { return false; }
    bool saveFile(const os::FileDialogRequest&, os::FileDialogResult&) override { return false; }
    bool browseFolder(const std::string&, std::string&) override { return false; }
    bool chooseColor(std::uint32_t, std::uint32_t&) override { return false; }
};

} // namespace pw::engine
