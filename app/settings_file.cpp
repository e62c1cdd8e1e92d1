#include "app/settings_file.h"

#include "app/setting_keys.h"
#include "platform/files.h"
#include "platform/paths.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace pw::app {
namespace {

bool isLineEnd(char c) {
    return c == '\r' || c == '\n';
}

bool isFieldEnd(char c) {
    return c == ',' || isLineEnd(c);
}

// Steps over one delimiter: a comma, or a line end (CR LF counted once).
void skipDelimiter(std::string_view text, std::size_t& pos) {
    if (pos >= text.size())
        return;
    if (text[pos] == ',') {
        ++pos;
        return;
    }
    if (text[pos] == '\r') {
        ++pos;
        if (pos < text.size() && text[pos] == '\n')
            ++pos;
        return;
    }
    if (text[pos] == '\n')
        ++pos;
}

std::string readQuotedField(std::string_view text, std::size_t& pos) {
    std::string field;
    ++pos; // the opening quote
    while (pos < text.size()) {
        const char c = text[pos++];
        if (c != '"') {
            field += c;
            continue;
        }
        if (pos < text.size() && text[pos] == '"') {
            field += '"';
            ++pos;
            continue;
        }
        break; // the closing quote
    }
    while (pos < text.size() && !isFieldEnd(text[pos]))
        ++pos; // text after the closing quote is not part of the field
    return field;
}

std::string readPlainField(std::string_view text, std::size_t& pos) {
    const std::size_t start = pos;
    while (pos < text.size() && !isFieldEnd(text[pos]))
        ++pos;
    std::string field(text.substr(start, pos - start));
    while (!field.empty() && field.back() == ' ')
        field.pop_back();
    return field;
}

bool needsQuotes(const std::string& value) {
    if (value.empty())
        return false;
    if (value.find_first_of(",\"\r\n") != std::string::npos)
        return true;
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    return blank(value.front()) || blank(value.back());
}

// Takes the LastFolder lines out of the kept lines; the last one's folder, if any.
std::optional<std::string> takeLastFolder(std::vector<std::string>& lines) {
    std::optional<std::string> folder;
    std::erase_if(lines, [&folder](const std::string& line) {
        std::string key;
        std::string value;
        if (!splitSettingLine(line, key, value) || key != kLastFolderKey)
            return false;
        if (!value.empty() && value.front() == '"') {
            const std::vector<std::string> field = readDelimitedFields(value, 1);
            value = field.empty() ? std::string() : field.front();
        }
        folder = value;
        return true;
    });
    return folder;
}

} // namespace

StoredSettings defaultSettings() {
    StoredSettings settings;
    settings.outputFolder = platform::defaultOutputFolder();
    return settings;
}

std::vector<std::string> readDelimitedFields(std::string_view text, std::size_t count,
                                             std::size_t* end) {
    std::vector<std::string> fields;
    std::size_t pos = 0;
    while (fields.size() < count) {
        while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t'))
            ++pos;
        if (pos >= text.size())
            break;
        fields.push_back(text[pos] == '"' ? readQuotedField(text, pos) : readPlainField(text, pos));
        skipDelimiter(text, pos);
    }
    if (end != nullptr) {
        // A field ended by a comma leaves the rest of its line behind; that is not a later line.
        if (pos > 0 && pos <= text.size() && !isLineEnd(text[pos - 1])) {
            while (pos < text.size() && !isLineEnd(text[pos]))
                ++pos;
            skipDelimiter(text, pos);
        }
        *end = std::min(pos, text.size());
    }
    return fields;
}

std::string formatField(const std::string& value) {
    if (!needsQuotes(value))
        return value;
    std::string quoted = "\"";
    for (char c : value) {
        quoted += c;
        if (c == '"')
            quoted += '"';
    }
    quoted += '"';
    return quoted;
}

std::string formatSettingsText(const std::string& outputFolder, int modeIndex) {
    return formatField(outputFolder) + "\r\n" + std::to_string(modeIndex) + "\r\n";
}

std::optional<int> parseModeIndex(const std::string& field) {
    if (field.empty() || field.size() > 9)
        return std::nullopt;
    int value = 0;
    for (char c : field) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value >= kModeCount)
        return std::nullopt;
    return value;
}

void applySettingsText(std::string_view text, StoredSettings& settings) {
    std::size_t end = 0;
    const std::vector<std::string> fields = readDelimitedFields(text, 2, &end);
    if (!fields.empty())
        settings.outputFolder = fields[0];
    if (fields.size() < 2)
        return;
    if (const std::optional<int> index = parseModeIndex(fields[1]))
        settings.modeIndex = *index;
    settings.otherLines = applySettingLines(text.substr(end), settingKeys(), settings.options);
    if (std::optional<std::string> folder = takeLastFolder(settings.otherLines))
        settings.lastFolder = std::move(*folder);
}

std::string settingsFilePath() {
    const std::string beside = platform::applicationFolder();
    if (!platform::isInstalledLayout() && platform::canWriteIn(beside))
        return platform::joinPath(beside, kSettingsFileName);
    return platform::joinPath(platform::configFolder(), kSettingsFileName);
}

bool isNormalFile(const std::string& path) {
    const std::int64_t bits = platform::attributes(path);
    if (bits < 0)
        return false;
    if ((bits & (platform::AttrHidden | platform::AttrSystem | platform::AttrDirectory)) != 0)
        return false;
    if ((bits & platform::AttrReparsePoint) == 0)
        return true;
    std::error_code error; // a link counts when it leads to a regular file
    return std::filesystem::is_regular_file(path, error);
}

StoredSettings loadSettingsFrom(const std::string& path) {
    StoredSettings settings = defaultSettings();
    if (!isNormalFile(path))
        return settings;
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return settings;
    std::string text;
    char buffer[4096];
    while (file.read(buffer, sizeof buffer) || file.gcount() > 0)
        text.append(buffer, static_cast<std::size_t>(file.gcount()));
    if (file.bad())
        return settings;
    applySettingsText(text, settings);
    return settings;
}

StoredSettings loadSettings() {
    return loadSettingsFrom(settingsFilePath());
}

bool writeSettingsFile(const std::string& path, const std::string& outputFolder, int modeIndex) {
    StoredSettings settings = loadSettingsFrom(path);
    settings.outputFolder = outputFolder;
    settings.modeIndex = modeIndex;
    return writeSettingsFile(path, settings);
}

bool writeLastFolder(const std::string& path, const std::string& folder) {
    std::error_code error;
    if (std::filesystem::exists(path, error) && !isNormalFile(path))
        return false; // a fifo would block the write, a folder cannot take it
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
    StoredSettings settings = loadSettingsFrom(path);
    settings.lastFolder = folder;
    return writeSettingsFile(path, settings);
}

bool writeSettingsFile(const std::string& path, const StoredSettings& settings) {
    // The remembered folder first, then the lines of later versions as they were.
    std::vector<std::string> later;
    later.reserve(settings.otherLines.size() + 1);
    if (!settings.lastFolder.empty() &&
        settings.lastFolder.find_first_of("\r\n") == std::string::npos) {
        std::string line(kLastFolderKey);
        line += '=';
        line += formatField(settings.lastFolder);
        later.push_back(std::move(line));
    }
    later.insert(later.end(), settings.otherLines.begin(), settings.otherLines.end());
    const std::string text = formatSettingsText(settings.outputFolder, settings.modeIndex) +
                             formatSettingLines(settingKeys(), settings.options, later);
    return platform::replaceFile(path, text);
}

} // namespace pw::app
