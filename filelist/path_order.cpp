#include "filelist/path_order.h"

#include <QString>
#include <algorithm>

namespace pw {

int comparePathsForSort(const QString& a, const QString& b) {
    return QString::compare(a, b, Qt::CaseInsensitive);
}

void sortPaths(std::vector<std::string>& paths) {
    std::stable_sort(paths.begin(), paths.end(), [](const std::string& a, const std::string& b) {
        return comparePathsForSort(QString::fromStdString(a), QString::fromStdString(b)) < 0;
    });
}

} // namespace pw
