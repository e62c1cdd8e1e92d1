#pragma once
// How black-and-white pages are coded, as text, shared by the settings file, the command line
// and the builder's options file:
//
//   Bilevel=jbig2|g4
//
// Read in any letter case. No Qt.
#include "jobfiles/job_options.h"

#include <string>
#include <string_view>

namespace pw::jobfiles {

inline constexpr const char* kBilevelKey = "Bilevel";

// Sets `coding` for "jbig2" or "g4"; false with `coding` untouched for anything else.
bool parseBilevelCoding(std::string_view text, BilevelCoding& coding);
std::string formatBilevelCoding(BilevelCoding coding);

} // namespace pw::jobfiles
