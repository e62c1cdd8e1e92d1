#include "pictures/tiff_pages.h"

#include "formats/pixel_limit.h"
#include "formats/tiff_page.h"
#include "pictures/decoded_picture.h"
#include "pictures/picture_resolution.h"
#include "pictures/picture_size_check.h"
#include "pictures/tiff_samples.h"

#include <FreeImage.h>
#include <algorithm>
#include <cmath>
#include <tiffio.h>
#include <vector>

namespace pw::pictures {
namespace {

// The page's resolution from its tags, by the rules of formats/resolution.h: inches (the
// default) or centimetres within the sane range, only the pixels' shape without a unit, none
// otherwise. A turned page takes the axes with it.
void setResolution(TIFF* tiff, FIBITMAP* bitmap) {
    float x = 0.0F;
    float y = 0.0F;
    std::uint16_t unit = RESUNIT_INCH;
    std::uint16_t orientation = ORIENTATION_TOPLEFT;
    formats::Resolution resolution;
    if (TIFFGetField(tiff, TIFFTAG_XRESOLUTION, &x) == 1 &&
        TIFFGetField(tiff, TIFFTAG_YRESOLUTION, &y) == 1 && std::isfinite(x) && std::isfinite(y)) {
        TIFFGetFieldDefaulted(tiff, TIFFTAG_RESOLUTIONUNIT, &unit);
        const double perInch = unit == RESUNIT_CENTIMETER ? 2.54 : 1.0;
        resolution = unit == RESUNIT_NONE ? formats::AspectResolution(x, y)
                                          : formats::SaneResolution({x * perInch, y * perInch});
    }
    TIFFGetFieldDefaulted(tiff, TIFFTAG_ORIENTATION, &orientation);
    const auto dots = [](double dpi) {
        return static_cast<unsigned>(std::lround(dpi / formats::kMetresPerInch));
    };
    const bool turned = orientation >= ORIENTATION_LEFTTOP && orientation <= ORIENTATION_LEFTBOT;
    FreeImage_SetDotsPerMeterX(bitmap, dots(turned ? resolution.yDpi : resolution.xDpi));
    FreeImage_SetDotsPerMeterY(bitmap, dots(turned ? resolution.xDpi : resolution.yDpi));
}

// The page's ICC profile when the page is stored as RGB, the only kind whose profile still
// describes the RGB pixels libtiff gives.
std::string rgbProfile(TIFF* tiff) {
    std::uint16_t photometric = 0;
    std::uint32_t size = 0;
    void* data = nullptr;
    if (TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric) != 1 ||
        photometric != PHOTOMETRIC_RGB ||
        TIFFGetField(tiff, TIFFTAG_ICCPROFILE, &size, &data) != 1 || data == nullptr)
        return {};
    return std::string(static_cast<const char*>(data), size);
}

} // namespace

TiffPages::TiffPages(const std::string& narrowPath)
    : narrowPath_(narrowPath), fileBytes_(FileBytes(narrowPath)) {
    tiff_ = TIFFOpen(narrowPath.c_str(), "rm");
    if (tiff_ != nullptr)
        count_ = static_cast<int>(TIFFNumberOfDirectories(tiff_));
}

TiffPages::~TiffPages() {
    if (pages_ != nullptr)
        FreeImage_CloseMultiBitmap(pages_, 0);
    if (tiff_ != nullptr)
        TIFFClose(tiff_);
}

bool TiffPages::selectPage(int page) {
    return tiff_ != nullptr && page >= 1 && page <= count_ &&
           formats::SelectTiffPage(tiff_, current_, page);
}

bool TiffPages::codecKnown(int page) {
    return selectPage(page) && compressionKnown();
}

bool TiffPages::compressionKnown() {
    std::uint16_t compression = COMPRESSION_NONE;
    TIFFGetFieldDefaulted(tiff_, TIFFTAG_COMPRESSION, &compression);
    return TIFFIsCODECConfigured(compression) == 1;
}

int TiffPages::compression(int page) {
    std::uint16_t compression = COMPRESSION_NONE;
    if (!selectPage(page))
        return -1;
    TIFFGetFieldDefaulted(tiff_, TIFFTAG_COMPRESSION, &compression);
    return compression;
}

FIBITMAP* TiffPages::decode(int page, std::string& problem) {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    if (!selectPage(page) || TIFFGetField(tiff_, TIFFTAG_IMAGEWIDTH, &width) != 1 ||
        TIFFGetField(tiff_, TIFFTAG_IMAGELENGTH, &height) != 1)
        return nullptr;
    if (!pw::formats::WithinPixelLimit(width, height)) {
        problem = pw::formats::PixelLimitReason(width, height);
        return nullptr;
    }
    problem = TiffDataTooShort(tiff_, fileBytes_);
    if (!problem.empty() || !compressionKnown())
        return nullptr;
    formats::ChooseFaxDecoding(tiff_, narrowPath_, page);
    std::uint16_t photometric = 0;
    std::uint16_t orientation = ORIENTATION_TOPLEFT;
    TIFFGetField(tiff_, TIFFTAG_PHOTOMETRIC, &photometric);
    TIFFGetFieldDefaulted(tiff_, TIFFTAG_ORIENTATION, &orientation);
    FIBITMAP* bitmap = nullptr;
    if (HasPlainSamples(tiff_)) {
        bitmap = ReadTiffSamples(tiff_);
    } else {
        // FreeImage neither turns pages nor maps LogLuv's light levels to colours; libtiff does
        // both, in 8 bits.
        if (orientation == ORIENTATION_TOPLEFT && photometric != PHOTOMETRIC_LOGLUV &&
            photometric != PHOTOMETRIC_LOGL)
            bitmap = freeImagePage(page, width, height);
        if (bitmap == nullptr)
            bitmap = rgbaPage(width, height, problem);
    }
    if (bitmap != nullptr)
        setResolution(tiff_, bitmap);
    return bitmap;
}

FIBITMAP* TiffPages::freeImagePage(int page, std::uint32_t width, std::uint32_t height) {
    if (pages_ == nullptr)
        pages_ = FreeImage_OpenMultiBitmap(FIF_TIFF, narrowPath_.c_str(), FALSE, TRUE, TRUE, 0);
    if (pages_ == nullptr || page > FreeImage_GetPageCount(pages_))
        return nullptr;
    FIBITMAP* bitmap = nullptr;
    FIBITMAP* locked = FreeImage_LockPage(pages_, page - 1);
    if (locked != nullptr && FreeImage_GetWidth(locked) == width &&
        FreeImage_GetHeight(locked) == height)
        bitmap = FreeImage_Clone(locked);
    if (locked != nullptr)
        FreeImage_UnlockPage(pages_, locked, FALSE);
    if (bitmap != nullptr) {
        // FreeImage makes a resolution up when the page states none.
        FreeImage_SetDotsPerMeterX(bitmap, 0);
        FreeImage_SetDotsPerMeterY(bitmap, 0);
    }
    return bitmap;
}

FIBITMAP* TiffPages::rgbaPage(std::uint32_t width, std::uint32_t height, std::string& problem) {
    char refusal[1024] = "";
    if (TIFFRGBAImageOK(tiff_, refusal) != 1) {
        std::string why = refusal;
        if (why.rfind("Sorry, ", 0) == 0)
            why.erase(0, 7);
        problem = "unsupported TIFF layout: " + why;
        return nullptr;
    }
    // Read in the order stored (libtiff would only mirror, not turn, a page stored turned);
    // BitmapFromRows then turns and mirrors it. A strip or tile libtiff cannot decode fails the
    // page instead of leaving it blank.
    std::uint16_t orientation = ORIENTATION_TOPLEFT;
    TIFFGetFieldDefaulted(tiff_, TIFFTAG_ORIENTATION, &orientation);
    std::vector<std::uint32_t> raster(static_cast<std::size_t>(width) * height);
    if (TIFFReadRGBAImageOriented(tiff_, width, height, raster.data(), orientation, 1) != 1)
        return nullptr;
    auto* bytes = reinterpret_cast<std::uint8_t*>(raster.data());
    for (std::size_t i = 0; i < raster.size(); ++i) {
        const std::uint32_t pixel = raster[i];
        bytes[4 * i] = static_cast<std::uint8_t>(TIFFGetR(pixel));
        bytes[4 * i + 1] = static_cast<std::uint8_t>(TIFFGetG(pixel));
        bytes[4 * i + 2] = static_cast<std::uint8_t>(TIFFGetB(pixel));
        bytes[4 * i + 3] = static_cast<std::uint8_t>(TIFFGetA(pixel));
    }
    PixelRows rows;
    rows.data = bytes;
    rows.width = static_cast<int>(width);
    rows.height = static_cast<int>(height);
    rows.stride = static_cast<std::size_t>(width) * 4;
    rows.alpha = true;
    rows.orientation = orientation;
    rows.icc = rgbProfile(tiff_);
    return BitmapFromRows(rows);
}

} // namespace pw::pictures
