#include "pictures/format_table.h"

#include "pictures/picture_kinds.h"

#include <FreeImage.h>

namespace pw::pictures {

std::optional<int> formatForExtension(const std::string& extension) {
    const PictureKind* kind = kindForExtension(extension);
    if (kind == nullptr || kind->freeImageFormat < 0)
        return std::nullopt;
    // A ".jpg" that needs decoding is decoded as its content shows, never tried as JPEG first.
    if (kind->decoder == Decoder::JpegData && extension.size() == 3)
        return std::nullopt;
    return kind->freeImageFormat;
}

bool isTiffPicture(const std::string& narrowPath, const std::string& extension) {
    const PictureKind* named = kindForExtension(extension);
    if (named != nullptr && named->freeImageFormat == FIF_TIFF)
        return true;
    return fileShows(narrowPath, kindReadBy(Decoder::FreeImage, FIF_TIFF));
}

bool hasJpegSignature(const std::string& path) {
    return fileShows(path, kindReadBy(Decoder::JpegData));
}

} // namespace pw::pictures
