#include "cli/console_prompts.h"

#include "engine/missing_pictures.h"

#include <algorithm>

namespace pw::cli {

os::Answer ConsolePrompts::messageBox(const std::string& text, const std::string& title,
                                      os::Buttons buttons, os::Icon, const std::string& details) {
    // The convert command names every missing picture itself, with its reason.
    if (title != engine::kMissingPicturesTitle) {
        progress_.breakLine();
        std::string line = details.empty() ? text : text + "\n" + details;
        line.erase(std::remove(line.begin(), line.end(), '\r'), line.end());
        std::fprintf(stderr, "pagewright: %s\n", line.c_str());
    }
    switch (buttons) {
    case os::Buttons::Ok:
        return os::Answer::Ok;
    case os::Buttons::OkCancel:
        return os::Answer::Cancel;
    case os::Buttons::YesNo:
    case os::Buttons::YesNoCancel:
        return os::Answer::No;
    }
    return os::Answer::Cancel;
}

} // namespace pw::cli
