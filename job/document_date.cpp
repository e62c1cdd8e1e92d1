#include "job/document_date.h"

#include "jobfiles/docinfo.h"

#include <cctype>
#include <ctime>

namespace pw::job {
namespace {

constexpr const char* kFixedSuffix = "-06'00";
constexpr std::size_t kDigits = 14;

int number(const std::string& text, std::size_t at, std::size_t length) {
    int value = 0;
    for (std::size_t i = at; i < at + length; ++i)
        value = value * 10 + (text[i] - '0');
    return value;
}

} // namespace

std::string documentDate(const std::string& windowText) {
    const std::string suffix = kFixedSuffix;
    if (windowText.size() != 2 + kDigits + suffix.size() || windowText.rfind("D:", 0) != 0 ||
        windowText.compare(2 + kDigits, suffix.size(), suffix) != 0)
        return windowText;
    for (std::size_t i = 2; i < 2 + kDigits; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(windowText[i])))
            return windowText;
    }
    std::tm local{};
    local.tm_year = number(windowText, 2, 4) - 1900;
    local.tm_mon = number(windowText, 6, 2) - 1;
    local.tm_mday = number(windowText, 8, 2);
    local.tm_hour = number(windowText, 10, 2);
    local.tm_min = number(windowText, 12, 2);
    local.tm_sec = number(windowText, 14, 2);
    local.tm_isdst = -1;
    const std::tm asWritten = local;
    const std::time_t moment = std::mktime(&local);
    // mktime normalises an impossible date (month 13, 31 February); such a text stays as it is.
    if (moment == static_cast<std::time_t>(-1) || local.tm_year != asWritten.tm_year ||
        local.tm_mon != asWritten.tm_mon || local.tm_mday != asWritten.tm_mday ||
        local.tm_hour != asWritten.tm_hour || local.tm_min != asWritten.tm_min ||
        local.tm_sec != asWritten.tm_sec)
        return windowText;
    const std::string dated = jobfiles::pdfDate(moment);
    return dated.empty() ? windowText : dated;
}

} // namespace pw::job
