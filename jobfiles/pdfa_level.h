#pragma once
// The PDF/A level as text, shared by the settings file, the command line and the builder's
// options file:
//
//   PDFA=off|2b|1b
//
// Read in any letter case. No Qt.
#include "jobfiles/job_options.h"

#include <string>
#include <string_view>

namespace pw::jobfiles {

inline constexpr const char* kPdfaKey = "PDFA";

// Why a job with PDF/A and a password does not run: PDF/A forbids encryption.
inline constexpr const char* kPdfaWithPasswordRefusal =
    "PDF/A does not allow encryption: choose either an archive (PDF/A) format or a password, "
    "not both.";
// The same for restrictions without a password, which are kept by encryption too.
inline constexpr const char* kPdfaWithRestrictionsRefusal =
    "PDF/A does not allow encryption, which restrictions on printing or copying need: choose "
    "either an archive (PDF/A) format or the restrictions, not both.";

// Sets `level` for "off", "2b" or "1b"; false with `level` untouched for anything else.
bool parsePdfaLevel(std::string_view text, PdfaLevel& level);
std::string formatPdfaLevel(PdfaLevel level);

} // namespace pw::jobfiles
