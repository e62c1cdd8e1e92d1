#include "pictures/bitmap.h"

#include <FreeImage.h>

namespace pw::pictures {

void Bitmap::reset(FIBITMAP* bitmap) noexcept {
    if (bitmap_ != nullptr && bitmap_ != bitmap)
        FreeImage_Unload(bitmap_);
    bitmap_ = bitmap;
}

} // namespace pw::pictures
