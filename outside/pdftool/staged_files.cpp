#include "outside/pdftool/staged_files.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>

namespace pw::pdftool {
namespace {

constexpr std::size_t kMinDigits = 5;
constexpr std::size_t kPageDigits = 4;

bool allDigits(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "00004_0002.jpg" is page 2 of picture 00004; "00004.jpg" its page 1.
std::string digitsOf(const std::string& name) {
    const std::string stem = name.substr(0, name.size() - 4);
    return stem.substr(0, stem.find('_'));
}

std::string pageOf(const std::string& name) {
    const std::string stem = name.substr(0, name.size() - 4);
    const auto mark = stem.find('_');
    return mark == std::string::npos ? std::string("1") : stem.substr(mark + 1);
}

// Compares decimal strings of any length by value.
bool numericLess(const std::string& a, const std::string& b) {
    const auto strip = [](const std::string& s) {
        const auto first = s.find_first_not_of('0');
        return first == std::string::npos ? std::string() : s.substr(first);
    };
    const std::string x = strip(a);
    const std::string y = strip(b);
    if (x.size() != y.size())
        return x.size() < y.size();
    return x < y;
}

bool hasExtension(const std::string& name, const char* extension) {
    if (name.size() < 4)
        return false;
    for (std::size_t i = 0; i < 4; ++i) {
        if (std::tolower(static_cast<unsigned char>(name[name.size() - 4 + i])) != extension[i])
            return false;
    }
    return true;
}

} // namespace

bool isPngName(const std::string& name) {
    return hasExtension(name, ".png");
}

bool isStagedName(const std::string& name) {
    if (name.size() < kMinDigits + 4 || !(hasExtension(name, ".jpg") || isPngName(name)))
        return false;
    const std::string stem = name.substr(0, name.size() - 4);
    const auto mark = stem.find('_');
    const std::string digits = stem.substr(0, mark);
    if (digits.size() < kMinDigits || !allDigits(digits))
        return false;
    if (mark == std::string::npos)
        return true;
    const std::string page = stem.substr(mark + 1);
    return page.size() >= kPageDigits && allDigits(page); // page 10000 on has five
}

std::vector<StagedFile> listStagedFiles(const std::string& folder, std::string* error) {
    std::vector<StagedFile> files;
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) {
        if (error != nullptr)
            *error = "cannot read the folder " + folder + ": " + std::strerror(errno);
        return files;
    }
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (!isStagedName(name))
            continue;
        const std::string path = folder + "/" + name;
        // Checked before anything opens it: opening a FIFO would wait for a writer.
        std::string problem;
        struct stat status {};
        if (stat(path.c_str(), &status) != 0)
            problem = std::string("cannot open: ") + std::strerror(errno);
        else if (S_ISDIR(status.st_mode))
            problem = "a folder, not a picture";
        else if (!S_ISREG(status.st_mode))
            problem = "not a regular file";
        files.push_back({name, path, problem});
    }
    closedir(dir);
    std::sort(files.begin(), files.end(), [](const StagedFile& a, const StagedFile& b) {
        const std::string x = digitsOf(a.name);
        const std::string y = digitsOf(b.name);
        if (numericLess(x, y))
            return true;
        if (numericLess(y, x))
            return false;
        const std::string p = pageOf(a.name);
        const std::string q = pageOf(b.name);
        if (numericLess(p, q))
            return true;
        if (numericLess(q, p))
            return false;
        return a.name < b.name;
    });
    return files;
}

} // namespace pw::pdftool
