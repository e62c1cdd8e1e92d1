#include "app/file_filter.h"

namespace pw::app {
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

// The patterns of a list separated by ';' or blanks.
std::vector<std::string> patternList(const std::string& text) {
    std::vector<std::string> patterns;
    std::string current;
    for (char c : text + ';') {
        if (c == ';' || c == ' ') {
            if (!current.empty())
                patterns.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    return patterns;
}

} // namespace

std::vector<std::string> qtNameFilters(const std::string& filter) {
    std::vector<std::string> result;
    const std::vector<std::string> parts = split(filter, '|');
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        std::string description = trimmed(parts[i]);
        const std::vector<std::string> given = patternList(parts[i + 1]);
        // "Desc (*.a;*.b)" already names its patterns: show them once.
        const auto open = description.rfind('(');
        if (!description.empty() && description.back() == ')' && open != std::string::npos &&
            patternList(description.substr(open + 1, description.size() - open - 2)) == given)
            description = trimmed(description.substr(0, open));
        std::string patterns;
        for (const std::string& pattern : given) {
            if (!patterns.empty())
                patterns += ' ';
            patterns += pattern == "*.*" ? "*" : pattern;
        }
        if (patterns.empty())
            patterns.push_back('*');
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

} // namespace pw::app
