#pragma once
// Staging one picture the way the job does, for tests that look at the staged file.
#include "staging/picture_pages.h"

#include <string>

namespace pw::test {

// Stages `source` with the job's default options (the best JPEG quality); `target` is where
// the first page goes and ends in ".jpg". False when the job would stage nothing there; then
// `problem` gets the reason the job would give.
inline bool stageLikeJob(const std::string& source, const std::string& target,
                         std::string* problem = nullptr) {
    const std::string stem = target.substr(0, target.rfind('.'));
    const staging::PictureStaging staging = staging::stagePicturePages(source, stem, {});
    if (problem != nullptr)
        *problem = staging.problem;
    return staging.pages > 0 && staging.firstFile == target;
}

} // namespace pw::test
