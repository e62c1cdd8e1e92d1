#include "jobfiles/pdf_page_lists.h"

#include "jobfiles/docinfo.h"
#include "jobfiles/staged_names.h"

#include <cstdio>
#include <optional>
#include <utility>

namespace pw::jobfiles {
namespace {

// Page numbers above this are not read: no PDF holds that many pages.
constexpr long kMostPage = 99999999;

// A page number of at most eight digits, without sign; nullopt for anything else.
std::optional<int> pageNumber(const std::string& text) {
    if (text.empty() || text.size() > 8)
        return std::nullopt;
    long value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value < 1 || value > kMostPage)
        return std::nullopt;
    return static_cast<int>(value);
}

} // namespace

bool writePdfPageLists(const std::string& folder, const PdfPageLists& lists, std::string* error) {
    std::vector<std::pair<std::string, std::string>> values;
    for (const auto& [index, pages] : lists) {
        if (pages.empty())
            continue;
        char key[32];
        std::snprintf(key, sizeof key, "%05llu", static_cast<unsigned long long>(index));
        std::string text;
        for (const int page : pages) {
            if (!text.empty())
                text += ',';
            text += std::to_string(page);
        }
        values.emplace_back(key, std::move(text));
    }
    return writeKeyValueLines(folder, kPdfPageListsFileName, values, error);
}

PdfPageLists readPdfPageLists(const std::string& path) {
    PdfPageLists lists;
    readKeyValueLines(path, [&](const std::string& key, const std::string& value) {
        const std::optional<std::uint64_t> index = stagedIndex(key + ".pdf");
        if (!index)
            return;
        std::vector<int> pages;
        std::size_t start = 0;
        while (start <= value.size()) {
            std::size_t end = value.find(',', start);
            if (end == std::string::npos)
                end = value.size();
            if (const std::optional<int> page = pageNumber(value.substr(start, end - start)))
                pages.push_back(*page);
            start = end + 1;
        }
        if (pages.empty())
            lists.erase(*index);
        else
            lists[*index] = std::move(pages);
    });
    return lists;
}

std::vector<int> pagesOfStagedName(const PdfPageLists& lists, const std::string& name) {
    const std::optional<std::uint64_t> index = stagedIndex(name);
    if (!index)
        return {};
    const auto found = lists.find(*index);
    return found == lists.end() ? std::vector<int>() : found->second;
}

std::vector<int> keptPdfPages(const std::vector<int>& listed, std::size_t pageCount) {
    std::vector<int> kept;
    std::vector<bool> taken(listed.empty() ? 0 : pageCount + 1, false);
    for (const int number : listed) {
        const auto at = static_cast<std::size_t>(number);
        if (number >= 1 && at <= pageCount && !taken[at]) {
            taken[at] = true;
            kept.push_back(number);
        }
    }
    return kept;
}

} // namespace pw::jobfiles
