#include "engine/missing_pictures.h"

#include <algorithm>

namespace pw::engine {

std::string MissingPicturesText(const std::vector<std::string>& paths) {
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

void NotePageSkipped(PictureStaging& staging, int page) {
    if (staging.pages <= 0)
        return;
    --staging.pages;
    if (staging.pages == 0)
        staging.damagedPages.clear();
    else
        staging.damagedPages.push_back(page);
}

std::string MissingEntry(const std::string& path, const PictureStaging& staging) {
    if (staging.pages <= 0)
        return staging.problem.empty() ? path : path + " (" + staging.problem + ")";
    if (staging.damagedPages.empty())
        return {};
    std::vector<int> damaged = staging.damagedPages;
    std::sort(damaged.begin(), damaged.end());
    std::string pages = damaged.size() == 1 ? " (page " : " (pages ";
    for (std::size_t i = 0; i < damaged.size(); ++i)
        pages += (i == 0 ? "" : ", ") + std::to_string(damaged[i]);
    return path + pages + ")";
}

} // namespace pw::engine
