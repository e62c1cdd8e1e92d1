#include "outside/pdftool/page_options.h"

#include "engine/page_layout_text.h"
#include "outside/pdftool/docinfo.h"

#include <cstdio>
#include <fstream>

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
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return layout;
    std::string line;
    bool first = true;
    while (std::getline(in, line)) {
        if (first && line.rfind("\xEF\xBB\xBF", 0) == 0)
            line.erase(0, 3);
        first = false;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const auto equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        engine::applyPageLayoutValue(line.substr(0, equals), unescapeValue(line.substr(equals + 1)),
                                     layout);
    }
    return layout;
}

} // namespace pw::pdftool
