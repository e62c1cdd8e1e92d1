#include "jobfiles/staged_names.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace pw::jobfiles {
namespace {

constexpr std::size_t kMinDigits = 5;
constexpr std::size_t kPageDigits = 4;

bool allDigits(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool hasExtension(const std::string& name, const char* extension) {
    if (name.size() < 4)
        return false;
    for (std::size_t i = 0; i < 4; ++i) {
        if (std::tolower(static_cast<unsigned char>(name[name.size() - 4 + i])) != extension[i])
            return false;
    }
    return true;
}

} // namespace

std::string stagedPageName(const std::string& firstTarget, int page) {
    if (page <= 1)
        return firstTarget;
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "_%04d", page);
    const auto slash = firstTarget.rfind('/');
    const auto dot = firstTarget.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return firstTarget + suffix;
    return firstTarget.substr(0, dot) + suffix + firstTarget.substr(dot);
}

bool isStagedExtension(const std::string& extension) {
    return extension.size() == 4 &&
           (hasExtension(extension, ".jpg") || hasExtension(extension, ".png") ||
            isTiffName(extension) || isJbig2Name(extension) || isPdfName(extension));
}

bool isPdfName(const std::string& name) {
    return hasExtension(name, ".pdf");
}

bool isPngName(const std::string& name) {
    return hasExtension(name, ".png");
}

bool isTiffName(const std::string& name) {
    return hasExtension(name, ".tif");
}

bool isJbig2Name(const std::string& name) {
    return hasExtension(name, ".jb2");
}

bool isStagedName(const std::string& name) {
    if (name.size() < kMinDigits + 4 || !isStagedExtension(name.substr(name.size() - 4)))
        return false;
    const std::string stem = name.substr(0, name.size() - 4);
    const auto mark = stem.find('_');
    const std::string digits = stem.substr(0, mark);
    if (digits.size() < kMinDigits || !allDigits(digits))
        return false;
    if (mark == std::string::npos)
        return true;
    const std::string page = stem.substr(mark + 1);
    return page.size() >= kPageDigits && allDigits(page); // page 10000 on has five
}

std::optional<std::uint64_t> stagedIndex(const std::string& name) {
    if (!isStagedName(name))
        return std::nullopt;
    const std::string digits = name.substr(0, std::min(name.find('_'), name.size() - 4));
    const std::size_t first = std::min(digits.find_first_not_of('0'), digits.size());
    if (digits.size() - first > kMostIndexDigits)
        return std::nullopt;
    std::uint64_t index = 0;
    for (std::size_t i = first; i < digits.size(); ++i)
        index = index * 10 + static_cast<std::uint64_t>(digits[i] - '0');
    return index;
}

int stagedPage(const std::string& name) {
    if (!isStagedName(name))
        return 0;
    const std::string stem = name.substr(0, name.size() - 4);
    const auto mark = stem.find('_');
    if (mark == std::string::npos)
        return 1;
    const std::string page = stem.substr(mark + 1);
    const std::size_t first = std::min(page.find_first_not_of('0'), page.size());
    if (page.size() - first > 9)
        return 0;
    return first == page.size() ? 0 : std::stoi(page.substr(first));
}

} // namespace pw::jobfiles
