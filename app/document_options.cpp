#include "app/document_options.h"

#include <cstdio>
#include <ctime>

namespace pw::app {

std::string pdfDateText(std::chrono::system_clock::time_point moment) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(moment);
    std::string local = jobfiles::pdfDate(seconds);
    if (!local.empty())
        return local;
    std::tm universal{}; // no local time for this moment: UTC
    char stamp[32];
    if (gmtime_r(&seconds, &universal) == nullptr ||
        std::strftime(stamp, sizeof stamp, "D:%Y%m%d%H%M%SZ", &universal) == 0)
        return {};
    return stamp;
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

void showAbout(platform::Prompts& prompts) {
    prompts.messageBox(aboutText(), kAboutTitle, platform::Buttons::Ok, platform::Icon::None);
}

} // namespace pw::app
