#include "cli/console_prompts.h"

#include "job/missing_pictures.h"

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

platform::Answer ConsolePrompts::messageBox(const std::string& text, const std::string& title,
                                            platform::Buttons buttons, platform::Icon,
                                            const std::string& details) {
    // The convert command names every missing picture itself, with its reason.
    if (title != job::kMissingPicturesTitle) {
        progress_.breakLine();
        sayError(details.empty() ? text : text + "\n" + details);
    }
    switch (buttons) {
    case platform::Buttons::Ok:
        return platform::Answer::Ok;
    case platform::Buttons::OkCancel:
        return platform::Answer::Cancel;
    case platform::Buttons::YesNo:
    case platform::Buttons::YesNoCancel:
        return platform::Answer::No;
    }
    return platform::Answer::Cancel;
}

} // namespace pw::cli
