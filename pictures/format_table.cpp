#include "pictures/format_table.h"

#include "pictures/picture_kinds.h"

#include <FreeImage.h>

namespace pw::pictures {

std::optional<int> formatForExtension(const std::string& extension) {
    const int format = freeImageFormatForExtension(extension);
    return format < 0 ? std::nullopt : std::optional<int>(format);
}

bool isTiffPicture(const std::string& narrowPath, const std::string& extension) {
    const PictureKind* named = kindForExtension(extension);
    if (named != nullptr && named->freeImageFormat == FIF_TIFF)
        return true;
    return fileShows(narrowPath, kindReadBy(Decoder::FreeImage, FIF_TIFF));
}

bool isTiffPicture(const PictureFile& file, const std::string& extension) {
    const PictureKind* named = kindForExtension(extension);
    if (named != nullptr && named->freeImageFormat == FIF_TIFF)
        return true;
    return file.shows(kindReadBy(Decoder::FreeImage, FIF_TIFF));
}

bool hasJpegSignature(const std::string& path) {
    return fileShows(path, kindReadBy(Decoder::JpegData));
}

bool hasJpegSignature(const platform::OpenedFile& file) {
    return fileShows(file, kindReadBy(Decoder::JpegData));
}

} // namespace pw::pictures
