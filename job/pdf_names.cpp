#include "job/pdf_names.h"

#include "platform/path_parts.h"

#include <climits>
#include <set>

namespace pw::job {
namespace {

std::string baseOf(const std::string& picturePath) {
    std::string base = platform::fileBaseName(picturePath);
    return base.empty() ? platform::pathPart(picturePath, 1) : base;
}

} // namespace

std::string firstFreeNumberedPdf(const std::string& base, long last,
                                 const std::function<bool(const std::string&)>& taken) {
    for (long k = 1; k <= last; ++k) {
        std::string name = base + std::to_string(k) + ".pdf";
        if (!taken(name))
            return name;
    }
    return std::string();
}

std::string ownPdfName(const std::string& picturePath) {
    return baseOf(picturePath) + ".pdf";
}

std::string numberedPdfName(const std::string& picturePath, long number) {
    return baseOf(picturePath) + std::to_string(number) + ".pdf";
}

std::vector<std::string> assignPdfNames(const std::vector<std::string>& picturePaths,
                                        bool keepExisting,
                                        const std::function<bool(const std::string&)>& exists) {
    std::set<std::string> own;
    for (const std::string& path : picturePaths)
        own.insert(ownPdfName(path));
    std::set<std::string> taken;
    std::vector<std::string> names;
    names.reserve(picturePaths.size());
    for (const std::string& path : picturePaths) {
        std::string name = ownPdfName(path);
        if (taken.count(name) != 0 || (keepExisting && exists(name)))
            name = firstFreeNumberedPdf(baseOf(path), LONG_MAX, [&](const std::string& n) {
                return taken.count(n) != 0 || own.count(n) != 0 || exists(n);
            });
        taken.insert(name);
        names.push_back(name);
    }
    return names;
}

int countReplacedNames(const std::vector<std::string>& picturePaths,
                       const std::function<bool(const std::string&)>& exists) {
    const std::vector<std::string> names = assignPdfNames(picturePaths, false, exists);
    int count = 0;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i] == ownPdfName(picturePaths[i]) && exists(names[i]))
            ++count;
    }
    return count;
}

} // namespace pw::job
