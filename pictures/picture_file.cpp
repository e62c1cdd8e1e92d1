#include "pictures/picture_file.h"

#include "platform/files.h"
#include "platform/narrow.h"

namespace pw::pictures {
namespace {

PictureFile described(const std::string& path, std::string narrowPath) {
    PictureFile file;
    file.path = path;
    file.narrowPath = std::move(narrowPath);
    file.deviceOrPipe = platform::isDeviceOrPipe(file.narrowPath);
    if (!file.deviceOrPipe) {
        file.file = platform::OpenedFile(file.narrowPath);
        file.kind = kindOfFile(file.file);
    }
    return file;
}

} // namespace

PictureFile describePicture(const std::string& path) {
    return described(path, platform::toNarrow(path));
}

PictureFile describeNarrowPicture(const std::string& narrowPath) {
    return described(narrowPath, narrowPath);
}

} // namespace pw::pictures
