#pragma once
// The staged pictures of one run, in page order.
#include <string>
#include <vector>

namespace pw::pdftool {

struct StagedFile {
    std::string name; // e.g. "00004.jpg"
    std::string path;
};

// True for a page file name: at least five decimal digits and ".jpg" in any letter case.
bool isStagedName(const std::string& name);

// The page files in `folder`, ordered by their numeric index (00002 before 00010, 99999 before
// 100000; equal indices such as 00007 and 000007 by name). Everything else is ignored, and so
// are entries that are not regular files. Sets *error when the folder cannot be read.
std::vector<StagedFile> listStagedFiles(const std::string& folder, std::string* error);

} // namespace pw::pdftool
