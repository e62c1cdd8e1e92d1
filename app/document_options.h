#pragma once
// The document properties of the Setting window, the creation-date text, the quality words and
// the About box.
#include "jobfiles/docinfo.h"
#include "platform/prompts.h"

#include <chrono>
#include <ctime>
#include <string>

namespace pw::app {

inline constexpr const char* kDefaultDocumentTitle = "New PDF Document";
inline constexpr const char* kDefaultAuthor = "Pagewright Converter";
inline constexpr const char* kDefaultSubject = "New Subject";
inline constexpr const char* kDefaultKeywords = "";

// The window's document fields: txtTitle, txtCreateFor, txtSubject, txtKeywords and
// txtCreationDate, as the PDF builder takes them.
using DocumentProperties = jobfiles::DocInfo;

// "D:" + local YYYYMMDDHHmmSS + the local offset of that moment ("+05'30'", "Z" at UTC), the
// text the PDF will hold.
std::string pdfDateText(std::chrono::system_clock::time_point moment);
// The same for now (the "Now" button and start-up).
std::string pdfDateNow();

// The defaults, dated with the given creation-date text.
DocumentProperties defaultDocumentProperties(const std::string& creationDate);

struct QualityCaptions {
    std::string value; // lblQuality: the value and "%"
    std::string words; // lblQtt
};
// "Best" above 79, "Good" above 59, "Medium" above 29, "Low" otherwise; "Lossless" (and no
// words) when the pictures are kept without loss.
QualityCaptions qualityCaptions(int quality, bool lossless = false);

inline constexpr const char* kAboutTitle = "about";
std::string aboutText();
// The About box: the notice, titled "about", OK only, no icon.
void showAbout(platform::Prompts& prompts);

} // namespace pw::app
