#include "jobfiles/quality_text.h"

#include "jobfiles/text_values.h"

#include <cctype>
#include <charconv>

namespace pw::jobfiles {
namespace {

constexpr const char* kLossless = "lossless";

bool isLossless(std::string_view text) {
    const std::string_view word = kLossless;
    if (text.size() != word.size())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != word[i])
            return false;
    }
    return true;
}

} // namespace

bool parseQuality(std::string_view text, JobOptions& options) {
    text = trimmedBlanks(text);
    if (isLossless(text)) {
        options.lossless = true;
        return true;
    }
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 1 || value > 100)
        return false;
    options.quality = value;
    options.lossless = false;
    return true;
}

std::string formatQuality(const JobOptions& options) {
    return options.lossless ? kLossless : std::to_string(options.quality);
}

} // namespace pw::jobfiles
