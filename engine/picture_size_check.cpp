#include "engine/picture_size_check.h"

#include "engine/pixel_limit.h"

#include <FreeImage.h>

namespace pw::engine {

std::string HeaderTooLarge(int format, const std::string& narrowPath) {
    const auto fif = static_cast<FREE_IMAGE_FORMAT>(format);
    if (fif == FIF_UNKNOWN || !FreeImage_FIFSupportsNoPixels(fif))
        return std::string();
    FIBITMAP* header = FreeImage_Load(fif, narrowPath.c_str(), FIF_LOAD_NOPIXELS);
    if (header == nullptr)
        return std::string(); // the full load reports the failure
    const std::string reason = BitmapTooLarge(header);
    FreeImage_Unload(header);
    return reason;
}

std::string BitmapTooLarge(FIBITMAP* bitmap) {
    if (bitmap == nullptr)
        return std::string();
    const unsigned width = FreeImage_GetWidth(bitmap);
    const unsigned height = FreeImage_GetHeight(bitmap);
    if (width == 0 || height == 0 || WithinPixelLimit(width, height))
        return std::string();
    return PixelLimitReason(width, height);
}

} // namespace pw::engine
