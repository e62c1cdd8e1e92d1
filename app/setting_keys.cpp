#include "app/setting_keys.h"

#include "jobfiles/bilevel_text.h"
#include "jobfiles/max_dpi_text.h"
#include "jobfiles/page_layout_text.h"
#include "jobfiles/pdfa_level.h"
#include "jobfiles/quality_text.h"
#include "jobfiles/text_values.h"

namespace pw::app {
namespace {

const SettingKey* findKey(const std::vector<SettingKey>& keys, const std::string& name) {
    for (const SettingKey& key : keys) {
        if (name == key.name)
            return &key;
    }
    return nullptr;
}

// A key whose value is "yes" or "no".
SettingKey yesNoKey(const char* name, bool jobfiles::JobOptions::*member) {
    return {name,
            [member](std::string_view value, jobfiles::JobOptions& options) {
                if (value != "yes" && value != "no")
                    return false;
                options.*member = value == "yes";
                return true;
            },
            [member](const jobfiles::JobOptions& options) {
                return std::string(options.*member ? "yes" : "no");
            }};
}

} // namespace

const std::vector<SettingKey>& settingKeys() {
    static const std::vector<SettingKey> keys = [] {
        std::vector<SettingKey> all;
        for (const jobfiles::PageLayoutKey& page : jobfiles::pageLayoutKeys()) {
            all.push_back({page.name,
                           [&page](std::string_view value, jobfiles::JobOptions& options) {
                               return page.parse(value, options.page);
                           },
                           [&page](const jobfiles::JobOptions& options) {
                               return page.format(options.page);
                           }});
        }
        all.push_back(yesNoKey("Bookmarks", &jobfiles::JobOptions::bookmarks));
        all.push_back({jobfiles::kPdfaKey,
                       [](std::string_view value, jobfiles::JobOptions& options) {
                           return jobfiles::parsePdfaLevel(value, options.pdfa);
                       },
                       [](const jobfiles::JobOptions& options) {
                           return jobfiles::formatPdfaLevel(options.pdfa);
                       }});
        all.push_back({jobfiles::kBilevelKey,
                       [](std::string_view value, jobfiles::JobOptions& options) {
                           return jobfiles::parseBilevelCoding(value, options.bilevel);
                       },
                       [](const jobfiles::JobOptions& options) {
                           return jobfiles::formatBilevelCoding(options.bilevel);
                       }});
        all.push_back({"MaxDpi", jobfiles::parseMaxDpi, jobfiles::formatMaxDpi});
        // Text recognition: the languages ("none" for off), and whether pages are set upright.
        all.push_back({"TextLanguages",
                       [](std::string_view value, jobfiles::JobOptions& options) {
                           if (value.empty() || value.size() > 200)
                               return false;
                           options.ocrLanguages = value == "none" ? "" : std::string(value);
                           return true;
                       },
                       [](const jobfiles::JobOptions& options) {
                           return options.ocrLanguages.empty() ? std::string("none")
                                                               : options.ocrLanguages;
                       }});
        all.push_back(yesNoKey("AutoRotate", &jobfiles::JobOptions::autoRotate));
        all.push_back(yesNoKey("KeepColour", &jobfiles::JobOptions::keepColour));
        all.push_back(yesNoKey("Deskew", &jobfiles::JobOptions::deskew));
        all.push_back(yesNoKey("FolderPdfs", &jobfiles::JobOptions::folderPdfs));
        all.push_back({"Quality", jobfiles::parseQuality, jobfiles::formatQuality});
        return all;
    }();
    return keys;
}

bool splitSettingLine(std::string_view line, std::string& key, std::string& value) {
    const auto equals = line.find('=');
    if (equals == std::string_view::npos)
        return false;
    key = std::string(jobfiles::trimmedBlanks(line.substr(0, equals)));
    value = std::string(jobfiles::trimmedBlanks(line.substr(equals + 1)));
    return !key.empty();
}

std::vector<std::string> applySettingLines(std::string_view lines,
                                           const std::vector<SettingKey>& keys,
                                           jobfiles::JobOptions& options) {
    std::vector<std::string> kept;
    while (!lines.empty()) {
        const auto end = lines.find_first_of("\r\n");
        const std::string_view line = lines.substr(0, end);
        lines.remove_prefix(end == std::string_view::npos ? lines.size() : end + 1);
        std::string key;
        std::string value;
        if (!splitSettingLine(line, key, value))
            continue;
        if (const SettingKey* known = findKey(keys, key)) {
            jobfiles::JobOptions parsed = options;
            if (known->parse(value, parsed))
                options = parsed;
        } else {
            kept.emplace_back(jobfiles::trimmedBlanks(line));
        }
    }
    return kept;
}

std::string formatSettingLines(const std::vector<SettingKey>& keys,
                               const jobfiles::JobOptions& options,
                               const std::vector<std::string>& kept) {
    std::string text;
    for (const SettingKey& key : keys)
        text += std::string(key.name) + "=" + key.format(options) + "\r\n";
    for (const std::string& line : kept)
        text += line + "\r\n";
    return text;
}

} // namespace pw::app
