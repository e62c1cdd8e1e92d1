#pragma once
// The creation date of the Setting window as it goes into the PDF.
#include <string>

namespace pw::job {

// The window shows the local offset itself, but a date typed in the old form "D:" + local
// YYYYMMDDHHmmSS + "-06'00" (a suffix that once stood whatever the time zone) would put the
// time six hours off anywhere but UTC-6, so such a text gets the local offset of that moment
// instead. Any other text (one with an offset of the user's choice) is kept as it is.
std::string documentDate(const std::string& windowText);

} // namespace pw::job
