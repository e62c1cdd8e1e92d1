#include "job/missing_pictures.h"

#include <algorithm>

namespace pw::job {

std::string missingPicturesText(const std::vector<std::string>& paths) {
    constexpr std::size_t kListed = 10;
    std::string text = paths.size() == 1
                           ? "This picture could not be converted and is missing from the result:"
                           : "These pictures could not be converted and are missing from the "
                             "result:";
    for (std::size_t i = 0; i < paths.size() && i < kListed; ++i)
        text += "\n" + paths[i];
    if (paths.size() > kListed)
        text += "\n... and " + std::to_string(paths.size() - kListed) + " more";
    return text;
}

void notePageSkipped(staging::PictureStaging& staging, int page, const std::string& reason) {
    if (staging.pages <= 0)
        return;
    if (staging.pdf)
        staging.pages = 1; // a PDF of the list goes in whole or not at all
    --staging.pages;
    if (staging.pages == 0) {
        staging.damagedPages.clear();
        if (!reason.empty())
            staging.problem = "refused by the PDF builder (" + reason + ")";
    } else
        staging.damagedPages.push_back(page);
}

namespace {

// "page 2" or "pages 2, 3".
std::string damagedPagesText(const staging::PictureStaging& staging) {
    std::vector<int> damaged = staging.damagedPages;
    std::sort(damaged.begin(), damaged.end());
    std::string pages = damaged.size() == 1 ? "page " : "pages ";
    for (std::size_t i = 0; i < damaged.size(); ++i)
        pages += (i == 0 ? "" : ", ") + std::to_string(damaged[i]);
    return pages;
}

} // namespace

std::string missingEntry(const std::string& path, const staging::PictureStaging& staging) {
    if (staging.pages <= 0)
        return path;
    if (staging.damagedPages.empty())
        return {};
    return path + " (" + damagedPagesText(staging) + ")";
}

std::string missingReasonLine(const std::string& path, const staging::PictureStaging& staging) {
    if (staging.pages <= 0)
        return path + ": " + (staging.problem.empty() ? "could not be converted" : staging.problem);
    if (staging.damagedPages.empty())
        return {};
    return path + ": " + damagedPagesText(staging) + " could not be converted";
}

} // namespace pw::job
