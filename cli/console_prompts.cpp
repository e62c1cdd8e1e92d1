#include "cli/console_prompts.h"

#include "engine/missing_pictures.h"

#include <algorithm>

namespace pw::cli {

void sayError(const std::string& text) {
    std::string::size_type start = 0;
    for (;;) {
        const std::string::size_type end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? end : end - start);
        line.erase(std::remove(line.begin(), line.end(), '\r'), line.end());
        std::fprintf(stderr, "pagewright convert: %s\n", line.c_str());
        if (end == std::string::npos)
            return;
        start = end + 1;
    }
}

os::Answer ConsolePrompts::messageBox(const std::string& text, const std::string& title,
                                      os::Buttons buttons, os::Icon, const std::string& details) {
    // The convert command names every missing picture itself, with its reason.
    if (title != engine::kMissingPicturesTitle) {
        progress_.breakLine();
        sayError(details.empty() ? text : text + "\n" + details);
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
