#include "jobfiles/page_options.h"

#include "jobfiles/bilevel_text.h"
#include "jobfiles/docinfo.h"
#include "jobfiles/page_layout_text.h"
#include "jobfiles/pdfa_level.h"

namespace pw::jobfiles {

bool writePageOptions(const std::string& folder, const PageLayout& layout, std::string* error) {
    return writeKeyValueLines(folder, kPageOptionsFileName, pageLayoutValues(layout), error);
}

bool writePageOptions(const std::string& folder, const JobOptions& options, std::string* error) {
    auto values = pageLayoutValues(options.page);
    if (options.pdfa != PdfaLevel::Off)
        values.emplace_back(kPdfaKey, formatPdfaLevel(options.pdfa));
    if (options.bilevel != BilevelCoding::Jbig2)
        values.emplace_back(kBilevelKey, formatBilevelCoding(options.bilevel));
    return writeKeyValueLines(folder, kPageOptionsFileName, values, error);
}

PdfaLevel readPdfaLevel(const std::string& path) {
    PdfaLevel level = PdfaLevel::Off;
    readKeyValueLines(path, [&](const std::string& key, const std::string& value) {
        if (key == kPdfaKey)
            parsePdfaLevel(value, level);
    });
    return level;
}

BilevelCoding readBilevelCoding(const std::string& path) {
    BilevelCoding coding = BilevelCoding::Jbig2;
    readKeyValueLines(path, [&](const std::string& key, const std::string& value) {
        if (key == kBilevelKey)
            parseBilevelCoding(value, coding);
    });
    return coding;
}

PageLayout readPageOptions(const std::string& path) {
    PageLayout layout;
    readKeyValueLines(path, [&](const std::string& key, const std::string& value) {
        applyPageLayoutValue(key, value, layout);
    });
    return layout;
}

} // namespace pw::jobfiles
