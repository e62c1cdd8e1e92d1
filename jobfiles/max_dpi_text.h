#pragma once
// The resolution ceiling as text, shared by the settings file and the command line:
//
//   MaxDpi=off|<kMinMaxDpi..kMaxMaxDpi>
//
// "off" (or 0) for none. No Qt.
#include "jobfiles/job_options.h"

#include <string>
#include <string_view>

namespace pw::jobfiles {

inline constexpr int kMinMaxDpi = 10;
inline constexpr int kMaxMaxDpi = 9600;

// Sets options.maxDpi from a whole number in range, or to 0 for "off" or "0"; false with
// `options` untouched for anything else.
bool parseMaxDpi(std::string_view text, JobOptions& options);

// "off", or the ceiling as a number.
std::string formatMaxDpi(const JobOptions& options);

} // namespace pw::jobfiles
