#include "jobfiles/picture_titles.h"

#include "jobfiles/docinfo.h"
#include "jobfiles/staged_names.h"

#include <cstdio>
#include <utility>
#include <vector>

namespace pw::jobfiles {

bool writePictureTitles(const std::string& folder, const PictureTitles& titles,
                        std::string* error) {
    std::vector<std::pair<std::string, std::string>> values;
    values.reserve(titles.size());
    for (const auto& [index, title] : titles) {
        char key[32];
        std::snprintf(key, sizeof key, "%05llu", static_cast<unsigned long long>(index));
        values.emplace_back(key, title);
    }
    return writeKeyValueLines(folder, kPictureTitlesFileName, values, error);
}

std::optional<PictureTitles> readPictureTitles(const std::string& path) {
    PictureTitles titles;
    const bool read =
        readKeyValueLines(path, [&](const std::string& key, const std::string& value) {
            // The key reads as the index of a staged page file of that number.
            if (const auto index = stagedIndex(key + ".jpg"))
                titles[*index] = value;
        });
    if (!read)
        return std::nullopt;
    return titles;
}

} // namespace pw::jobfiles
