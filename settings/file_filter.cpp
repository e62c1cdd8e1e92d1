#include "settings/file_filter.h"

namespace pw {
namespace {

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const auto end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string::npos ? end : end - start));
        if (end == std::string::npos)
            return parts;
        start = end + 1;
    }
}

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

} // namespace

std::vector<std::string> qtNameFilters(const std::string& filter) {
    std::vector<std::string> result;
    const std::vector<std::string> parts = split(filter, '|');
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        std::string description = trimmed(parts[i]);
        const std::string patternText = trimmed(parts[i + 1]);
        std::string patterns;
        for (const std::string& raw : split(patternText, ';')) {
            const std::string pattern = trimmed(raw);
            if (pattern.empty())
                continue;
            if (!patterns.empty())
                patterns += ' ';
            patterns += pattern == "*.*" ? "*" : pattern;
        }
        if (patterns.empty())
            patterns.push_back('*');
        std::string shown = "(";
        shown.append(patternText).append(")");
        if (endsWith(description, shown))
            description = trimmed(description.substr(0, description.size() - shown.size()));
        std::string entry = description;
        if (!entry.empty())
            entry += ' ';
        entry.append("(").append(patterns).append(")");
        result.push_back(entry);
    }
    if (result.empty())
        result.push_back("(*)");
    return result;
}

std::size_t selectedFilterPosition(int filterIndex, std::size_t filterCount) {
    if (filterIndex < 1 || static_cast<std::size_t>(filterIndex) > filterCount)
        return 0;
    return static_cast<std::size_t>(filterIndex - 1);
}

} // namespace pw
