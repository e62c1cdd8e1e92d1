#pragma once
// The picture quality as text, shared by the settings file and the command line:
//
//   Quality=<1..100>|lossless
//
// "lossless" is read in any letter case. No Qt.
#include "jobfiles/job_options.h"

#include <string>
#include <string_view>

namespace pw::jobfiles {

// Sets options.quality (and clears lossless) for a whole number 1..100, or sets lossless for
// "lossless"; false with `options` untouched for anything else.
bool parseQuality(std::string_view text, JobOptions& options);

// "lossless", or the quality as a number.
std::string formatQuality(const JobOptions& options);

} // namespace pw::jobfiles
