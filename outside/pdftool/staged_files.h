#pragma once
// The staged pictures of one run, in page order.
#include "jobfiles/staged_names.h"

#include <string>
#include <vector>

namespace pw::pdftool {

struct StagedFile {
    std::string name; // e.g. "00004.jpg"
    std::string path;
    std::string problem; // why it cannot be a page (a dangling link, a folder...); else empty
};

// The page files in `folder`, ordered by their numeric picture index (00002 before 00010, 99999
// before 100000), then page (00003.jpg, 00003_0002.jpg, 00003_0010.jpg); equal indices such as
// 00007 and 000007 by name. Other names are ignored; an entry with a page name that is no
// regular file (after links) is listed with its problem, so it is reported rather than lost.
// Sets *error when the folder cannot be read.
std::vector<StagedFile> listStagedFiles(const std::string& folder, std::string* error);

} // namespace pw::pdftool
