#pragma once
// The names of the staged page files, as the job writes them and the builder reads them.
#include <string>

namespace pw::pdftool {

// True for ".jpg" or ".png" in any letter case.
bool isStagedExtension(const std::string& extension);
// True for a page file name ending in ".png" in any letter case.
bool isPngName(const std::string& name);
// True for a page file name: at least five decimal digits (the picture index), optionally "_"
// and four digits (the page of a several-page picture), and ".jpg" or ".png" in any letter case.
bool isStagedName(const std::string& name);

} // namespace pw::pdftool
