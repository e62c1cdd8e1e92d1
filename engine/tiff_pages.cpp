#include "engine/tiff_pages.h"

#include "engine/decoded_picture.h"
#include "engine/pixel_limit.h"

#include <FreeImage.h>
#include <tiffio.h>
#include <vector>

namespace pw::engine {
namespace {

constexpr double kInchesPerMeter = 39.3700787;

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
    const double perMeter = unit == RESUNIT_CENTIMETER ? 100.0 : kInchesPerMeter;
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

TiffPages::TiffPages(const std::string& narrowPath) {
    tiff_ = TIFFOpen(narrowPath.c_str(), "r");
    if (tiff_ != nullptr)
        count_ = static_cast<int>(TIFFNumberOfDirectories(tiff_));
}

TiffPages::~TiffPages() {
    if (tiff_ != nullptr)
        TIFFClose(tiff_);
}

bool TiffPages::codecKnown(int page) {
    std::uint16_t compression = COMPRESSION_NONE;
    if (tiff_ == nullptr || page < 1 || page > count_ ||
        TIFFSetDirectory(tiff_, static_cast<tdir_t>(page - 1)) != 1)
        return false;
    TIFFGetFieldDefaulted(tiff_, TIFFTAG_COMPRESSION, &compression);
    return TIFFIsCODECConfigured(compression) == 1;
}

FIBITMAP* TiffPages::decode(int page, std::string& problem) {
    if (tiff_ == nullptr || page < 1 || page > count_ ||
        TIFFSetDirectory(tiff_, static_cast<tdir_t>(page - 1)) != 1)
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
