#include "app/help_pages.h"

#include "platform/paths.h"

#include <QUrl>

namespace pw::app {
namespace {

std::string pageUrl(const char* page) {
    const std::string path =
        platform::joinPath(platform::joinPath(platform::programFilesFolder(), "help"), page);
    return QUrl::fromLocalFile(QString::fromStdString(path))
        .toString(QUrl::FullyEncoded)
        .toStdString();
}

} // namespace

std::string productPageUrl() {
    return pageUrl("index.html");
}

std::string tutorialPageUrl() {
    return pageUrl("tutorial.html");
}

} // namespace pw::app
