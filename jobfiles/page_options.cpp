#include "jobfiles/page_options.h"

#include "jobfiles/docinfo.h"
#include "jobfiles/page_layout_text.h"
#include "jobfiles/pdfa_level.h"

namespace pw::pdftool {

bool writePageOptions(const std::string& folder, const engine::PageLayout& layout,
                      std::string* error) {
    return writeKeyValueLines(folder, kPageOptionsFileName, engine::pageLayoutValues(layout),
                              error);
}

bool writePageOptions(const std::string& folder, const engine::JobOptions& options,
                      std::string* error) {
    auto values = engine::pageLayoutValues(options.page);
    if (options.pdfa != engine::PdfaLevel::Off)
        values.emplace_back(engine::kPdfaKey, engine::formatPdfaLevel(options.pdfa));
    return writeKeyValueLines(folder, kPageOptionsFileName, values, error);
}

engine::PdfaLevel readPdfaLevel(const std::string& path) {
    engine::PdfaLevel level = engine::PdfaLevel::Off;
    readKeyValueLines(path, [&](const std::string& key, const std::string& value) {
        if (key == engine::kPdfaKey)
            engine::parsePdfaLevel(value, level);
    });
    return level;
}

engine::PageLayout readPageOptions(const std::string& path) {
    engine::PageLayout layout;
    readKeyValueLines(path, [&](const std::string& key, const std::string& value) {
        engine::applyPageLayoutValue(key, value, layout);
    });
    return layout;
}

} // namespace pw::pdftool
