#include "pictures/picture_file.h"

#include "platform/files.h"
#include "platform/narrow.h"

namespace pw::pictures {

PictureFile describePicture(const std::string& path) {
    PictureFile file;
    file.path = path;
    file.narrowPath = platform::toNarrow(path);
    file.deviceOrPipe = platform::isDeviceOrPipe(file.narrowPath);
    if (!file.deviceOrPipe)
        file.kind = kindOfFile(file.narrowPath);
    return file;
}

} // namespace pw::pictures
