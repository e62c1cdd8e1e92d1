#include "jobfiles/max_dpi_text.h"

#include "jobfiles/text_values.h"

#include <charconv>

namespace pw::jobfiles {

bool parseMaxDpi(std::string_view text, JobOptions& options) {
    text = trimmedBlanks(text);
    if (text == "off" || text == "0") {
        options.maxDpi = 0;
        return true;
    }
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < kMinMaxDpi ||
        value > kMaxMaxDpi)
        return false;
    options.maxDpi = value;
    return true;
}

std::string formatMaxDpi(const JobOptions& options) {
    return options.maxDpi > 0 ? std::to_string(options.maxDpi) : std::string("off");
}

} // namespace pw::jobfiles
