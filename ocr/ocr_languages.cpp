#include "ocr/ocr_languages.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <dirent.h>

namespace pw::ocr {
namespace {

constexpr const char* kDebianDataFolder = "/usr/share/tesseract-ocr/5/tessdata";
constexpr const char* kDataExtension = ".traineddata";
constexpr const char* kOrientationData = "osd";

bool validName(const std::string& name) {
    return !name.empty() && name.size() <= 64 &&
           std::all_of(name.begin(), name.end(), [](unsigned char c) {
               return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      c == '_';
           });
}

std::vector<std::string> dataNames() {
    std::vector<std::string> names;
    DIR* folder = opendir(OcrDataFolder().c_str());
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
    return "the " + what + " is not installed (package " + OcrPackageName(name) + ")";
}

} // namespace

std::string OcrDataFolder() {
    const char* prefix = std::getenv("TESSDATA_PREFIX");
    return prefix != nullptr && *prefix != '\0' ? prefix : kDebianDataFolder;
}

std::vector<std::string> InstalledOcrLanguages() {
    std::vector<std::string> names = dataNames();
    names.erase(std::remove_if(names.begin(), names.end(),
                               [](const std::string& name) {
                                   return name == kOrientationData || !validName(name);
                               }),
                names.end());
    return names;
}

bool OrientationDataInstalled() {
    return installed(dataNames(), kOrientationData);
}

std::string OcrPackageName(const std::string& language) {
    std::string package = "tesseract-ocr-";
    for (const char c : language)
        package += c == '_' ? '-' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return package;
}

std::string OcrLanguageProblem(const std::string& languages) {
    if (languages.empty())
        return "no text recognition language was given";
    const std::vector<std::string> names = InstalledOcrLanguages();
    std::size_t start = 0;
    for (;;) {
        const std::size_t plus = languages.find('+', start);
        const std::string name = languages.substr(start, plus - start);
        if (!validName(name))
            return "\"" + languages + "\" is not a text recognition language (e.g. eng, deu+eng)";
        if (!installed(names, name))
            return missingText("text recognition data for " + name, name);
        if (plus == std::string::npos)
            return {};
        start = plus + 1;
    }
}

std::string OrientationDataProblem() {
    return OrientationDataInstalled() ? std::string()
                                      : missingText("page orientation data", kOrientationData);
}

} // namespace pw::ocr
