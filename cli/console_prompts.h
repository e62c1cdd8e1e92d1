#pragma once
// Prompts on the command line: messages go to standard error, questions are never asked
// (the cautious answer is taken), dialogs are cancelled.
#include "cli/progress_display.h"
#include "platform/prompts.h"

#include <cstdio>
#include <string>

namespace pw::cli {

// Every error the command line gives: each line of `text` on standard error as
// "pagewright convert: LINE" (carriage returns dropped).
void sayError(const std::string& text);

class ConsolePrompts : public os::Prompts {
public:
    explicit ConsolePrompts(ProgressDisplay& progress) : progress_(progress) {}

    os::Answer messageBox(const std::string& text, const std::string& title, os::Buttons buttons,
                          os::Icon icon, const std::string& details = {}) override;
    bool openFile(const os::FileDialogRequest&, os::FileDialogResult&) override { return false; }
    bool saveFile(const os::FileDialogRequest&, os::FileDialogResult&) override { return false; }
    bool browseFolder(const std::string&, std::string&) override { return false; }
    bool chooseColor(std::uint32_t, std::uint32_t&) override { return false; }

private:
    ProgressDisplay& progress_;
};

} // namespace pw::cli
