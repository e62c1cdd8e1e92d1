#include "engine/tiff_pages.h"

#include "engine/decoded_picture.h"
#include "engine/picture_resolution.h"
#include "engine/picture_size_check.h"
#include "engine/pixel_limit.h"

#include <FreeImage.h>
#include <tiffio.h>
#include <vector>

namespace pw::engine {
namespace {

void setResolution(TIFF* tiff, FIBITMAP* bitmap) {
    float x = 0.0F;
    float y = 0.0F;
    std::uint16_t unit = RESUNIT_INCH;
    if (TIFFGetField(tiff, TIFFTAG_XRESOLUTION, &x) != 1 ||
        TIFFGetField(tiff, TIFFTAG_YRESOLUTION, &y) != 1 || x <= 0.0F || y <= 0.0F)
        return;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_RESOLUTIONUNIT, &unit);
    if (unit == RESUNIT_NONE)
        return;
    const double perMeter = unit == RESUNIT_CENTIMETER ? 100.0 : 1.0 / kMetresPerInch;
    FreeImage_SetDotsPerMeterX(bitmap, static_cast<unsigned>(x * perMeter + 0.5));
    FreeImage_SetDotsPerMeterY(bitmap, static_cast<unsigned>(y * perMeter + 0.5));
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
    tiff_ = TIFFOpen(narrowPath.c_str(), "r");
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
           TIFFSetDirectory(tiff_, static_cast<tdir_t>(page - 1)) == 1;
}

bool TiffPages::codecKnown(int page) {
    std::uint16_t compression = COMPRESSION_NONE;
    if (!selectPage(page))
        return false;
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

FIBITMAP* TiffPages::decodeAsStored(int page, std::string& problem) {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint16_t orientation = ORIENTATION_TOPLEFT;
    // FreeImage paints a page in a compression no codec here knows black and calls it read.
    if (!codecKnown(page) || TIFFGetField(tiff_, TIFFTAG_IMAGEWIDTH, &width) != 1 ||
        TIFFGetField(tiff_, TIFFTAG_IMAGELENGTH, &height) != 1 ||
        !pw::WithinPixelLimit(width, height) || !TiffDataTooShort(tiff_, fileBytes_).empty() ||
        (TIFFGetField(tiff_, TIFFTAG_ORIENTATION, &orientation) == 1 &&
         orientation != ORIENTATION_TOPLEFT))
        return decode(page, problem);
    if (pages_ == nullptr)
        pages_ = FreeImage_OpenMultiBitmap(FIF_TIFF, narrowPath_.c_str(), FALSE, TRUE, TRUE, 0);
    FIBITMAP* bitmap = nullptr;
    if (pages_ != nullptr && page <= FreeImage_GetPageCount(pages_)) {
        FIBITMAP* locked = FreeImage_LockPage(pages_, page - 1);
        if (locked != nullptr && FreeImage_GetWidth(locked) == width &&
            FreeImage_GetHeight(locked) == height)
            bitmap = FreeImage_Clone(locked);
        if (locked != nullptr)
            FreeImage_UnlockPage(pages_, locked, FALSE);
    }
    if (bitmap == nullptr)
        return decode(page, problem);
    // Only the page's own tags (FreeImage reads through a handle of its own, so `tiff_` is
    // still at this page): FreeImage makes a resolution up when there is none.
    FreeImage_SetDotsPerMeterX(bitmap, 0);
    FreeImage_SetDotsPerMeterY(bitmap, 0);
    setResolution(tiff_, bitmap);
    return bitmap;
}

FIBITMAP* TiffPages::decode(int page, std::string& problem) {
    if (!selectPage(page))
        return nullptr;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    if (TIFFGetField(tiff_, TIFFTAG_IMAGEWIDTH, &width) != 1 ||
        TIFFGetField(tiff_, TIFFTAG_IMAGELENGTH, &height) != 1)
        return nullptr;
    if (!pw::WithinPixelLimit(width, height)) {
        problem = pw::PixelLimitReason(width, height);
        return nullptr;
    }
    problem = TiffDataTooShort(tiff_, fileBytes_);
    if (!problem.empty())
        return nullptr;
    // libtiff turns every photometric interpretation and orientation into top-down RGBA; a
    // strip or tile it cannot decode fails the page instead of leaving it blank.
    std::vector<std::uint32_t> raster(static_cast<std::size_t>(width) * height);
    if (TIFFReadRGBAImageOriented(tiff_, width, height, raster.data(), ORIENTATION_TOPLEFT, 1) != 1)
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
    rows.icc = rgbProfile(tiff_);
    FIBITMAP* bitmap = BitmapFromRows(rows);
    if (bitmap != nullptr)
        setResolution(tiff_, bitmap);
    return bitmap;
}

} // namespace pw::engine
