#include "job/tool_output.h"

#include "jobfiles/builder_output.h"
#include "jobfiles/staged_names.h"

#include <cctype>
#include <cfenv>
#include <cmath>
#include <vector>

namespace pw::job {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::vector<std::string> splitAtSpaces(const std::string& text) {
    std::vector<std::string> words;
    std::string::size_type start = 0;
    for (;;) {
        const auto space = text.find(' ', start);
        if (space == std::string::npos) {
            words.push_back(text.substr(start));
            return words;
        }
        words.push_back(text.substr(start, space - start));
        start = space + 1;
    }
}

// A word ending in a staged page file extension.
bool endsWithStagedExtension(const std::string& word) {
    return word.size() >= 4 && jobfiles::isStagedExtension(word.substr(word.size() - 4));
}

} // namespace

double leadingNumber(const std::string& text) {
    // Val ignores blanks anywhere in the number, not only in front of it.
    std::string compact;
    for (char c : text) {
        if (!isBlank(c))
            compact += c;
    }
    std::size_t i = 0;
    double sign = 1.0;
    if (i < compact.size() && (compact[i] == '+' || compact[i] == '-')) {
        sign = compact[i] == '-' ? -1.0 : 1.0;
        ++i;
    }
    double value = 0.0;
    while (i < compact.size() && isDigit(compact[i]))
        value = value * 10.0 + (compact[i++] - '0');
    if (i < compact.size() && compact[i] == '.') {
        ++i;
        double scale = 0.1;
        while (i < compact.size() && isDigit(compact[i])) {
            value += (compact[i++] - '0') * scale;
            scale /= 10.0;
        }
    }
    return sign * value;
}

double reportedIndex(const std::string& chunk) {
    const std::vector<std::string> words = splitAtSpaces(chunk);
    for (auto word = words.rbegin(); word != words.rend(); ++word) {
        if (endsWithStagedExtension(*word))
            return leadingNumber(word->substr(0, word->size() - 4));
    }
    return 0.0;
}

std::vector<SkippedPage> skippedPages(const std::string& outputs) {
    // "00003.jpg: why" or "00003_0002.jpg: why".
    const auto digitsAt = [](const std::string& text, std::string::size_type from) {
        while (from < text.size() && isDigit(text[from]))
            ++from;
        return from;
    };
    std::vector<SkippedPage> pages;
    for (const std::string& rest : jobfiles::linesAfter(outputs, jobfiles::kSkippedLead)) {
        std::string::size_type end = digitsAt(rest, 0);
        const std::string digits = rest.substr(0, end);
        std::string pageDigits = "1";
        if (end < rest.size() && rest[end] == '_') {
            const std::string::size_type pageEnd = digitsAt(rest, end + 1);
            pageDigits = rest.substr(end + 1, pageEnd - end - 1);
            end = pageEnd;
        }
        if (digits.empty() || digits.size() >= 10 || pageDigits.empty() ||
            pageDigits.size() >= 10 || end + 5 > rest.size() || rest[end + 4] != ':' ||
            !jobfiles::isStagedExtension(rest.substr(end, 4)))
            continue;
        const auto from = rest.find_first_not_of(' ', end + 5);
        pages.push_back({std::stoi(digits), std::stoi(pageDigits),
                         from == std::string::npos ? std::string() : rest.substr(from)});
    }
    return pages;
}

std::vector<int> skippedIndices(const std::string& outputs) {
    std::vector<int> indices;
    for (const SkippedPage& skipped : skippedPages(outputs))
        indices.push_back(skipped.index);
    return indices;
}

long long laidOnWhiteCount(const std::string& outputs) {
    long long count = 0;
    for (const std::string& rest : jobfiles::linesAfter(outputs, jobfiles::kLaidOnWhiteLead))
        count += static_cast<long long>(leadingNumber(rest.substr(0, 12)));
    return count;
}

long long roundHalfEven(double value) {
    const int previous = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double rounded = std::nearbyint(value);
    std::fesetround(previous);
    return static_cast<long long>(rounded);
}

} // namespace pw::job
