#include "outside/pdftool/staged_files.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>

namespace pw::pdftool {
namespace {

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

} // namespace

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
        if (!jobfiles::isStagedName(name))
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
