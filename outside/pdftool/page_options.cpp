#include "outside/pdftool/page_options.h"

#include "engine/page_layout_text.h"
#include "outside/pdftool/docinfo.h"

#include <cstdio>

namespace pw::pdftool {

bool writePageOptions(const std::string& folder, const engine::PageLayout& layout,
                      std::string* error) {
    const std::string path =
        folder.empty() ? std::string(kPageOptionsFileName) : folder + "/" + kPageOptionsFileName;
    std::string text;
    for (const auto& [key, value] : engine::pageLayoutValues(layout))
        text += key + "=" + escapeValue(value) + "\n";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        if (error != nullptr)
            *error = "cannot create " + path;
        return false;
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        if (error != nullptr)
            *error = "cannot write " + path;
        return false;
    }
    return true;
}

engine::PageLayout readPageOptions(const std::string& path) {
    engine::PageLayout layout;
    readKeyValueLines(path, [&](const std::string& key, const std::string& value) {
        engine::applyPageLayoutValue(key, value, layout);
    });
    return layout;
}

} // namespace pw::pdftool
