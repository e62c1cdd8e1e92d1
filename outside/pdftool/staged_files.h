#pragma once
// The staged pictures of one run, in page order.
#include <string>
#include <vector>

namespace pw::pdftool {

struct StagedFile {
    std::string name; // e.g. "00004.jpg"
    std::string path;
    std::string problem; // why it cannot be a page (a dangling link, a folder...); else empty
};

// True for a page file name: at least five decimal digits (the picture index), optionally "_"
// and four digits (the page of a several-page picture), and ".jpg" or ".png" in any letter case.
bool isStagedName(const std::string& name);
// True for a page file name ending in ".png" in any letter case.
bool isPngName(const std::string& name);

// The page files in `folder`, ordered by their numeric picture index (00002 before 00010, 99999
// before 100000), then page (00003.jpg, 00003_0002.jpg, 00003_0010.jpg); equal indices such as
// 00007 and 000007 by name. Other names are ignored; an entry with a page name that is no
// regular file (after links) is listed with its problem, so it is reported rather than lost.
// Sets *error when the folder cannot be read.
std::vector<StagedFile> listStagedFiles(const std::string& folder, std::string* error);

} // namespace pw::pdftool
