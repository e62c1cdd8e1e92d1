#pragma once
// The creation date of the Setting window as it goes into the PDF.
#include <string>

namespace pw::engine {

// The window shows dates as "D:" + local YYYYMMDDHHmmSS + "-06'00", a suffix that stays the same
// whatever the time zone. Written into the PDF as it stands, the time would be read six hours
// off anywhere but UTC-6, so such a text gets the local offset of that moment instead. Any other
// text (one the user wrote with an offset of their choice) is kept as it is.
std::string DocumentDate(const std::string& windowText);

} // namespace pw::engine
