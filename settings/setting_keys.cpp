#include "settings/setting_keys.h"

#include "jobfiles/max_dpi_text.h"
#include "jobfiles/page_layout_text.h"
#include "jobfiles/pdfa_level.h"
#include "jobfiles/quality_text.h"
#include "jobfiles/text_values.h"

namespace pw {
namespace {

const SettingKey* findKey(const std::vector<SettingKey>& keys, const std::string& name) {
    for (const SettingKey& key : keys) {
        if (name == key.name)
            return &key;
    }
    return nullptr;
}

// A key whose value is "yes" or "no".
SettingKey yesNoKey(const char* name, bool engine::JobOptions::*member) {
    return {name,
            [member](std::string_view value, engine::JobOptions& options) {
                if (value != "yes" && value != "no")
                    return false;
                options.*member = value == "yes";
                return true;
            },
            [member](const engine::JobOptions& options) {
                return std::string(options.*member ? "yes" : "no");
            }};
}

} // namespace

const std::vector<SettingKey>& settingKeys() {
    static const std::vector<SettingKey> keys = [] {
        std::vector<SettingKey> all;
        for (const engine::PageLayoutKey& page : engine::pageLayoutKeys()) {
            all.push_back(
                {page.name,
                 [&page](std::string_view value, engine::JobOptions& options) {
                     return page.parse(value, options.page);
                 },
                 [&page](const engine::JobOptions& options) { return page.format(options.page); }});
        }
        all.push_back(yesNoKey("Bookmarks", &engine::JobOptions::bookmarks));
        all.push_back({engine::kPdfaKey,
                       [](std::string_view value, engine::JobOptions& options) {
                           return engine::parsePdfaLevel(value, options.pdfa);
                       },
                       [](const engine::JobOptions& options) {
                           return engine::formatPdfaLevel(options.pdfa);
                       }});
        all.push_back({"MaxDpi", engine::parseMaxDpi, engine::formatMaxDpi});
        // Text recognition: the languages ("none" for off), and whether pages are set upright.
        all.push_back({"TextLanguages",
                       [](std::string_view value, engine::JobOptions& options) {
                           if (value.empty() || value.size() > 200)
                               return false;
                           options.ocrLanguages = value == "none" ? "" : std::string(value);
                           return true;
                       },
                       [](const engine::JobOptions& options) {
                           return options.ocrLanguages.empty() ? std::string("none")
                                                               : options.ocrLanguages;
                       }});
        all.push_back(yesNoKey("AutoRotate", &engine::JobOptions::autoRotate));
        all.push_back({"Quality", engine::parseQuality, engine::formatQuality});
        return all;
    }();
    return keys;
}

bool splitSettingLine(std::string_view line, std::string& key, std::string& value) {
    const auto equals = line.find('=');
    if (equals == std::string_view::npos)
        return false;
    key = std::string(engine::trimmedBlanks(line.substr(0, equals)));
    value = std::string(engine::trimmedBlanks(line.substr(equals + 1)));
    return !key.empty();
}

std::vector<std::string> applySettingLines(std::string_view lines,
                                           const std::vector<SettingKey>& keys,
                                           engine::JobOptions& options) {
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
            engine::JobOptions parsed = options;
            if (known->parse(value, parsed))
                options = parsed;
        } else {
            kept.emplace_back(engine::trimmedBlanks(line));
        }
    }
    return kept;
}

std::string formatSettingLines(const std::vector<SettingKey>& keys,
                               const engine::JobOptions& options,
                               const std::vector<std::string>& kept) {
    std::string text;
    for (const SettingKey& key : keys)
        text += std::string(key.name) + "=" + key.format(options) + "\r\n";
    for (const std::string& line : kept)
        text += line + "\r\n";
    return text;
}

} // namespace pw
