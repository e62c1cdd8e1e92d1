#pragma once
// The dialogs' filter text "Desc|pattern|Desc|pattern" (patterns joined by ';') as the name
// filters of a Qt file dialog: "Desc (pattern pattern)". "*.*" becomes "*", which matches
// every file here as it does on Windows; a description that already ends with its patterns in
// parentheses, like "All files (*.*)", carries them only once.
#include <string>
#include <vector>

namespace pw::app {

std::vector<std::string> qtNameFilters(const std::string& filter);
// The 1-based index as a position in that list; out of range gives the first.
std::size_t selectedFilterPosition(int filterIndex, std::size_t filterCount);

} // namespace pw::app
