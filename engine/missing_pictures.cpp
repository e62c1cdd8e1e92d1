#include "engine/missing_pictures.h"

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

} // namespace pw::engine
