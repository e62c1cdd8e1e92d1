#include "jobfiles/docinfo.h"

#include <cctype>
#include <cstdio>
#include <fstream>

namespace pw::jobfiles {
namespace {

bool allDigits(const std::string& text, std::size_t from, std::size_t count) {
    if (from + count > text.size())
        return false;
    for (std::size_t i = from; i < from + count; ++i) {
        if (std::isdigit(static_cast<unsigned char>(text[i])) == 0)
            return false;
    }
    return true;
}

} // namespace

std::string escapeValue(const std::string& value) {
    std::string out;
    out.reserve(value.size());
    for (const char c : value) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string unescapeValue(const std::string& value) {
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c != '\\' || i + 1 == value.size()) {
            out += c;
            continue;
        }
        const char next = value[++i];
        switch (next) {
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        case 't':
            out += '\t';
            break;
        case '\\':
            out += '\\';
            break;
        default: // unknown escape: keep both characters
            out += c;
            out += next;
        }
    }
    return out;
}

bool writeKeyValueLines(const std::string& folder, const char* fileName,
                        const std::vector<std::pair<std::string, std::string>>& values,
                        std::string* error) {
    const std::string path = folder.empty() ? std::string(fileName) : folder + "/" + fileName;
    std::string text;
    for (const auto& [key, value] : values)
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

bool writeDocInfo(const std::string& folder, const DocInfo& info, std::string* error) {
    return writeKeyValueLines(folder, kDocInfoFileName,
                              {{"Title", info.title},
                               {"Author", info.author},
                               {"Subject", info.subject},
                               {"Keywords", info.keywords},
                               {"CreationDate", info.creationDate}},
                              error);
}

bool readKeyValueLines(const std::string& path,
                       const std::function<void(const std::string&, const std::string&)>& take) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::string line;
    bool first = true;
    while (std::getline(in, line)) {
        if (first && line.rfind("\xEF\xBB\xBF", 0) == 0)
            line.erase(0, 3);
        first = false;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const auto equals = line.find('=');
        if (equals != std::string::npos)
            take(line.substr(0, equals), unescapeValue(line.substr(equals + 1)));
    }
    return true;
}

std::optional<DocInfo> readDocInfo(const std::string& path) {
    DocInfo info;
    const bool opened =
        readKeyValueLines(path, [&](const std::string& key, const std::string& value) {
            if (key == "Title")
                info.title = value;
            else if (key == "Author")
                info.author = value;
            else if (key == "Subject")
                info.subject = value;
            else if (key == "Keywords")
                info.keywords = value;
            else if (key == "CreationDate")
                info.creationDate = value;
        });
    if (!opened)
        return std::nullopt;
    return info;
}

std::string pdfDate(std::time_t when) {
    std::tm local{};
    if (localtime_r(&when, &local) == nullptr)
        return {};
    char stamp[32];
    if (std::strftime(stamp, sizeof stamp, "D:%Y%m%d%H%M%S", &local) == 0)
        return {};
    long offset = local.tm_gmtoff / 60; // minutes east of UTC, within a day
    std::string result = stamp;
    if (offset == 0)
        return result + "Z";
    const char sign = offset < 0 ? '-' : '+';
    if (offset < 0)
        offset = -offset;
    const int hours = static_cast<int>(offset / 60 % 24);
    const int minutes = static_cast<int>(offset % 60);
    char zone[32];
    std::snprintf(zone, sizeof zone, "%c%02d'%02d'", sign, hours, minutes);
    return result + zone;
}

bool isPdfDate(const std::string& text) {
    if (text.rfind("D:", 0) != 0 || !allDigits(text, 2, 14))
        return false;
    const std::string zone = text.substr(16);
    if (zone.empty() || zone == "Z")
        return true;
    // +HH'mm' or -HH'mm', the closing apostrophe optional
    if ((zone[0] != '+' && zone[0] != '-') || zone.size() < 6 || zone.size() > 7)
        return false;
    return allDigits(zone, 1, 2) && zone[3] == '\'' && allDigits(zone, 4, 2) &&
           (zone.size() == 6 || zone[6] == '\'');
}

} // namespace pw::jobfiles
