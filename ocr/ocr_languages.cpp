#include "ocr/ocr_languages.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <strings.h>

namespace pw::ocr {
namespace {

constexpr const char* kDebianDataFolder = "/usr/share/tesseract-ocr/5/tessdata";
constexpr const char* kDataExtension = ".traineddata";
constexpr const char* kOrientationData = "osd";
// Tesseract reads no data file whose table holds more entries than this.
constexpr std::uint32_t kMostDataEntries = 1000;

bool validName(const std::string& name) {
    return !name.empty() && name.size() <= 64 &&
           std::all_of(name.begin(), name.end(), [](unsigned char c) {
               return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      c == '_';
           });
}

std::vector<std::string> dataNames() {
    std::vector<std::string> names;
    DIR* folder = opendir(ocrDataFolder().c_str());
    if (folder == nullptr)
        return names;
    const std::string extension = kDataExtension;
    while (const dirent* entry = readdir(folder)) {
        const std::string name = entry->d_name;
        if (name.size() > extension.size() &&
            name.compare(name.size() - extension.size(), extension.size(), extension) == 0)
            names.push_back(name.substr(0, name.size() - extension.size()));
    }
    closedir(folder);
    std::sort(names.begin(), names.end());
    return names;
}

bool installed(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

std::string missingText(const std::string& what, const std::string& name) {
    return "the " + what + " is not installed (package " + ocrPackageName(name) + ")";
}

std::uint64_t littleEndian(const unsigned char* bytes, int count, bool swapped) {
    std::uint64_t value = 0;
    for (int i = 0; i < count; ++i)
        value |= static_cast<std::uint64_t>(bytes[swapped ? count - 1 - i : i]) << (8 * i);
    return value;
}

// Why Tesseract cannot load a data file, judged by its table as Tesseract reads it: the count
// of entries (in either byte order), then each entry's offset (-1 for none), the entries in
// that order up to the end of the file. Empty when the table holds.
std::string damage(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in)
        return "it cannot be read";
    const std::streamoff size = in.tellg();
    if (size <= 0)
        return "it is empty";
    unsigned char head[4] = {};
    in.seekg(0);
    if (size < 4 || !in.read(reinterpret_cast<char*>(head), 4))
        return "it is cut short";
    bool swapped = false;
    std::uint64_t count = littleEndian(head, 4, false);
    if (count > kMostDataEntries) {
        swapped = true;
        count = littleEndian(head, 4, true);
    }
    if (count == 0 || count > kMostDataEntries)
        return "it is not text recognition data";
    const auto tableEnd = static_cast<std::streamoff>(4 + 8 * count);
    std::vector<unsigned char> table(8 * count);
    if (size < tableEnd || !in.read(reinterpret_cast<char*>(table.data()), 8 * count))
        return "it is cut short";
    std::streamoff last = tableEnd;
    bool any = false;
    for (std::uint64_t i = 0; i < count; ++i) {
        const auto offset = static_cast<std::int64_t>(littleEndian(&table[8 * i], 8, swapped));
        if (offset == -1)
            continue;
        if (offset < last)
            return "it is not text recognition data";
        if (offset > size)
            return "it is cut short";
        last = offset;
        any = true;
    }
    return any ? std::string() : "it holds no text recognition data";
}

// The problem of a language's installed data file, naming the file and the package that brings
// it back; empty when it holds.
std::string damagedText(const std::string& what, const std::string& name) {
    const std::string path = ocrDataFolder() + "/" + name + kDataExtension;
    const std::string why = damage(path);
    return why.empty() ? std::string()
                       : "the " + what + " is damaged: " + path + ": " + why + " (reinstall " +
                             ocrPackageName(name) + ")";
}

// The installed name `name` stands for: itself, or the one name that differs from it only in
// letter case; empty when none does.
std::string installedName(const std::vector<std::string>& names, const std::string& name) {
    if (installed(names, name))
        return name;
    std::string found;
    for (const std::string& candidate : names) {
        if (strcasecmp(candidate.c_str(), name.c_str()) == 0) {
            if (!found.empty())
                return {};
            found = candidate;
        }
    }
    return found;
}

} // namespace

std::string ocrDataFolder() {
    const char* prefix = std::getenv("TESSDATA_PREFIX");
    return prefix != nullptr && *prefix != '\0' ? prefix : kDebianDataFolder;
}

std::vector<std::string> installedOcrLanguages() {
    std::vector<std::string> names = dataNames();
    names.erase(std::remove_if(names.begin(), names.end(),
                               [](const std::string& name) {
                                   return name == kOrientationData || !validName(name);
                               }),
                names.end());
    return names;
}

bool orientationDataInstalled() {
    return installed(dataNames(), kOrientationData);
}

std::string ocrPackageName(const std::string& language) {
    std::string package = "tesseract-ocr-";
    for (const char c : language)
        package += c == '_' ? '-' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return package;
}

std::string installedSpelling(const std::string& languages) {
    const std::vector<std::string> names = installedOcrLanguages();
    std::string spelt;
    std::size_t start = 0;
    for (;;) {
        const std::size_t plus = languages.find('+', start);
        const std::string name = languages.substr(start, plus - start);
        const std::string found = installedName(names, name);
        spelt += found.empty() ? name : found;
        if (plus == std::string::npos)
            return spelt;
        spelt += '+';
        start = plus + 1;
    }
}

std::string ocrLanguageProblem(const std::string& languages) {
    if (languages.empty())
        return "no text recognition language was given";
    const std::vector<std::string> names = installedOcrLanguages();
    std::size_t start = 0;
    for (;;) {
        const std::size_t plus = languages.find('+', start);
        const std::string name = languages.substr(start, plus - start);
        if (!validName(name))
            return "\"" + languages + "\" is not a text recognition language (e.g. eng, deu+eng)";
        const std::string spelt = installedName(names, name);
        if (spelt.empty())
            return missingText("text recognition data for " + name, name);
        const std::string damaged = damagedText("text recognition data for " + name, spelt);
        if (!damaged.empty())
            return damaged;
        if (plus == std::string::npos)
            return {};
        start = plus + 1;
    }
}

std::string orientationDataProblem() {
    return orientationDataInstalled() ? damagedText("page orientation data", kOrientationData)
                                      : missingText("page orientation data", kOrientationData);
}

} // namespace pw::ocr
