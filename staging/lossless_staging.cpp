#include "staging/lossless_staging.h"

#include "formats/png_info.h"
#include "platform/files.h"
#include "platform/narrow.h"
#include "staging/bitmap_edits.h"
#include "staging/grey_pictures.h"
#include "staging/picture_files.h"

#include <FreeImage.h>

namespace pw::staging {
namespace {

// True when a 32-bit bitmap's alpha is 255 everywhere, so it needs no soft mask.
bool opaque32(FIBITMAP* bitmap) {
    const unsigned width = FreeImage_GetWidth(bitmap);
    const unsigned height = FreeImage_GetHeight(bitmap);
    for (unsigned y = 0; y < height; ++y) {
        const BYTE* row = FreeImage_GetScanLine(bitmap, static_cast<int>(y));
        for (unsigned x = 0; x < width; ++x) {
            if (row[x * 4 + FI_RGBA_ALPHA] != 255)
                return false;
        }
    }
    return true;
}

// A bitmap FreeImage can write as PNG with the same pixel values, or nullptr when `bitmap`
// already is one. Types PNG cannot hold (floats, 16-bit 5-6-5 colour...) become 8 bits a
// sample, the closest PNG has.
FIBITMAP* pngReady(FIBITMAP* bitmap) {
    const FREE_IMAGE_TYPE type = FreeImage_GetImageType(bitmap);
    const unsigned bpp = FreeImage_GetBPP(bitmap);
    if (type == FIT_BITMAP) {
        if (bpp == 32 && opaque32(bitmap))
            return FreeImage_ConvertTo24Bits(bitmap);
        if (bpp == 1 || bpp == 4 || bpp == 8 || bpp == 24 || bpp == 32)
            return nullptr;
        return FreeImage_ConvertTo24Bits(bitmap);
    }
    if (type == FIT_UINT16 || type == FIT_RGB16 || type == FIT_RGBA16)
        return nullptr;
    FIBITMAP* standard = FreeImage_ConvertToStandardType(bitmap, TRUE);
    return standard;
}

} // namespace

bool saveLosslessBitmap(FIBITMAP* bitmap, const std::string& target, pictures::StopFlag stop) {
    FIBITMAP* converted = pngReady(bitmap);
    keepIccProfile(bitmap, converted);
    if (FIBITMAP* grey = neutralGreyCopy(converted != nullptr ? converted : bitmap, stop)) {
        if (converted != nullptr) // one channel for a gray picture, without its RGB profile
            FreeImage_Unload(converted);
        converted = grey;
    }
    FIBITMAP* ready = converted != nullptr ? converted : bitmap;
    bool saved = saveBitmapFile(FIF_PNG, ready, target, PNG_DEFAULT, stop);
    if (!saved && !stop.set() && FreeImage_GetICCProfile(ready)->data != nullptr) {
        // libpng refuses to write a profile it finds malformed; the pixels go without it.
        FreeImage_DestroyICCProfile(ready);
        saved = saveBitmapFile(FIF_PNG, ready, target, PNG_DEFAULT, stop);
    }
    if (converted != nullptr)
        FreeImage_Unload(converted);
    if (!saved)
        platform::removeFile(target); // never leave a half-written picture for the builder
    return saved;
}

bool stageLossless(const std::string& source, const std::string& extension,
                   const std::string& target, std::string* problem) {
    const std::string narrowSource = platform::toNarrow(source);
    std::string reason;
    if (formats::readPngInfo(narrowSource, reason)) { // another format fails at the signature
        const bool staged = stageUnchanged(narrowSource, target);
        if (!staged && problem != nullptr)
            *problem = kNotWritten;
        return staged;
    }

    return decodeAndSave(narrowSource, extension, target, problem,
                         [&](FIBITMAP* bitmap) { return saveLosslessBitmap(bitmap, target); });
}

} // namespace pw::staging
