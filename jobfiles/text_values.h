#pragma once
// Small text helpers shared by the option readers and writers (settings lines, convert flags,
// the builder's options file and its content streams). No Qt.
#include <cstdio>
#include <string>
#include <string_view>

namespace pw::jobfiles {

// The text without leading and trailing spaces and tabs.
inline std::string_view trimmedBlanks(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

// The value with at most `decimals` decimals, trailing zeros and a bare point dropped, and
// never "-0": 12.5, 210, 0.3528.
inline std::string decimalText(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    std::string result = text;
    if (result.find('.') != std::string::npos) {
        while (result.back() == '0')
            result.pop_back();
        if (result.back() == '.')
            result.pop_back();
    }
    if (result == "-0")
        result = "0";
    return result;
}

} // namespace pw::jobfiles
