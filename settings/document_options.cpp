#include "settings/document_options.h"

#include <cstdio>

namespace pw {

std::string pdfDateText(const std::tm& local) {
    char digits[64];
    const int length =
        std::snprintf(digits, sizeof digits, "%04d%02d%02d%02d%02d%02d", local.tm_year + 1900,
                      local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    if (length < 0)
        return "D:-06'00";
    return std::string("D:") + digits + "-06'00";
}

std::string pdfDateText(std::chrono::system_clock::time_point moment) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(moment);
    std::tm local{};
    if (localtime_r(&seconds, &local) != nullptr)
        return pdfDateText(local);
    std::tm universal{}; // no local time for this moment: fall back to UTC
    if (gmtime_r(&seconds, &universal) != nullptr)
        return pdfDateText(universal);
    return pdfDateText(std::tm{});
}

std::string pdfDateNow() {
    return pdfDateText(std::chrono::system_clock::now());
}

DocumentProperties defaultDocumentProperties(const std::string& creationDate) {
    return DocumentProperties{kDefaultDocumentTitle, kDefaultAuthor, kDefaultSubject,
                              kDefaultKeywords, creationDate};
}

QualityCaptions qualityCaptions(int quality, bool lossless) {
    if (lossless)
        return QualityCaptions{"Lossless", ""};
    const char* words = "Low";
    if (quality > 79)
        words = "Best";
    else if (quality > 59)
        words = "Good";
    else if (quality > 29)
        words = "Medium";
    return QualityCaptions{std::to_string(quality) + "%", words};
}

std::string aboutText() {
    return "Pagewright 1.0 \xE2\x80\x94 converts pictures to PDF. Copyright \xC2\xA9 2026 the "
           "Pagewright developers.";
}

void showAbout(os::Prompts& prompts) {
    prompts.messageBox(aboutText(), kAboutTitle, os::Buttons::Ok, os::Icon::None);
}

} // namespace pw
