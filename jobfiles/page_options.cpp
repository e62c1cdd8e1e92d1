#include "jobfiles/page_options.h"

#include "jobfiles/docinfo.h"
#include "jobfiles/page_layout_text.h"

namespace pw::pdftool {

bool writePageOptions(const std::string& folder, const engine::PageLayout& layout,
                      std::string* error) {
    return writeKeyValueLines(folder, kPageOptionsFileName, engine::pageLayoutValues(layout),
                              error);
}

engine::PageLayout readPageOptions(const std::string& path) {
    engine::PageLayout layout;
    readKeyValueLines(path, [&](const std::string& key, const std::string& value) {
        engine::applyPageLayoutValue(key, value, layout);
    });
    return layout;
}

} // namespace pw::pdftool
