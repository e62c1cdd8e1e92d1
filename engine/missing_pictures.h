#pragma once
// The one message that tells the user which pictures did not reach the result.
#include <string>
#include <vector>

namespace pw::engine {

inline constexpr const char* kMissingPicturesTitle = "Missing Pictures";

// The message text: a lead line, then the first ten paths one per line, then
// "... and N more" when there are more.
std::string MissingPicturesText(const std::vector<std::string>& paths);

} // namespace pw::engine
