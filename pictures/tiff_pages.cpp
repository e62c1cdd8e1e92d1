#include "pictures/tiff_pages.h"

#include "formats/pixel_limit.h"
#include "formats/tiff_page.h"
#include "pictures/decoded_picture.h"
#include "pictures/picture_resolution.h"
#include "pictures/picture_size_check.h"
#include "pictures/stoppable_io.h"
#include "pictures/tiff_samples.h"

#include <FreeImage.h>
#include <algorithm>
#include <cmath>
#include <fcntl.h>
#include <sys/stat.h>
#include <tiffio.h>
#include <unistd.h>
#include <utility>
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
        resolution = unit == RESUNIT_NONE ? formats::aspectResolution(x, y)
                                          : formats::saneResolution({x * perInch, y * perInch});
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

// The file as libtiff reads it (not mapped, as TIFFOpen's "m" asks): reads fail once the flag
// is set.
struct TiffPages::Source {
    const platform::OpenedFile* file = nullptr;
    std::uint64_t at = 0;
    StopFlag stop;

    static tmsize_t read(thandle_t handle, void* into, tmsize_t size) {
        auto* source = static_cast<Source*>(handle);
        if (source->stop.set() || size < 0)
            return -1;
        const std::size_t got =
            source->file->readAt(source->at, into, static_cast<std::size_t>(size));
        source->at += got;
        return static_cast<tmsize_t>(got);
    }
    static tmsize_t write(thandle_t, void*, tmsize_t) { return -1; }
    static toff_t seek(thandle_t handle, toff_t offset, int whence) {
        auto* source = static_cast<Source*>(handle);
        const auto signedOffset = static_cast<std::int64_t>(offset);
        const std::int64_t base = whence == SEEK_SET ? 0
                                  : whence == SEEK_CUR
                                      ? static_cast<std::int64_t>(source->at)
                                      : static_cast<std::int64_t>(source->file->size());
        if (base + signedOffset < 0)
            return static_cast<toff_t>(-1);
        source->at = static_cast<std::uint64_t>(base + signedOffset);
        return source->at;
    }
    static int close(thandle_t) { return 0; } // the file is closed by its owner
    static toff_t size(thandle_t handle) {
        return static_cast<const Source*>(handle)->file->size();
    }
    static int map(thandle_t, void**, toff_t*) { return 0; }
    static void unmap(thandle_t, void*, toff_t) {}
};

TiffPages::TiffPages(const std::string& narrowPath, StopFlag stop)
    : owned_(std::make_unique<platform::OpenedFile>(narrowPath)) {
    open(*owned_, stop);
}

TiffPages::TiffPages(const platform::OpenedFile& file, StopFlag stop) {
    open(file, stop);
}

void TiffPages::open(const platform::OpenedFile& file, StopFlag stop) {
    file_ = &file;
    fileBytes_ = file.size();
    stop_ = stop;
    source_ = std::make_unique<Source>();
    source_->stop = stop;
    source_->file = &file;
    if (!file.isOpen())
        return;
    tiff_ =
        TIFFClientOpen(file.narrowPath().c_str(), "rm", source_.get(), Source::read, Source::write,
                       Source::seek, Source::close, Source::size, Source::map, Source::unmap);
    if (tiff_ != nullptr)
        count_ = static_cast<int>(TIFFNumberOfDirectories(tiff_));
}

TiffPages::~TiffPages() {
    pages_.reset();
    if (tiff_ != nullptr)
        TIFFClose(tiff_);
}

bool TiffPages::selectPage(int page) {
    return tiff_ != nullptr && page >= 1 && page <= count_ &&
           formats::selectTiffPage(tiff_, current_, page);
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

Decoded TiffPages::decode(int page) {
    std::string problem;
    Bitmap bitmap = pageBitmap(page, problem);
    return decodedOrRefused(std::move(bitmap), std::move(problem), stop_);
}

Bitmap TiffPages::pageBitmap(int page, std::string& problem) {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    if (!selectPage(page) || TIFFGetField(tiff_, TIFFTAG_IMAGEWIDTH, &width) != 1 ||
        TIFFGetField(tiff_, TIFFTAG_IMAGELENGTH, &height) != 1)
        return {};
    if (!pw::formats::withinPixelLimit(width, height)) {
        problem = pw::formats::pixelLimitReason(width, height);
        return {};
    }
    problem = tiffDataTooShort(tiff_, fileBytes_);
    if (!problem.empty() || !compressionKnown())
        return {};
    formats::chooseFaxDecoding(tiff_, file_->descriptor(), page);
    std::uint16_t photometric = 0;
    std::uint16_t orientation = ORIENTATION_TOPLEFT;
    TIFFGetField(tiff_, TIFFTAG_PHOTOMETRIC, &photometric);
    TIFFGetFieldDefaulted(tiff_, TIFFTAG_ORIENTATION, &orientation);
    Bitmap bitmap;
    if (hasPlainSamples(tiff_)) {
        bitmap = readTiffSamples(tiff_, stop_);
    } else {
        // FreeImage neither turns pages nor maps LogLuv's light levels to colours; libtiff does
        // both, in 8 bits.
        if (orientation == ORIENTATION_TOPLEFT && photometric != PHOTOMETRIC_LOGLUV &&
            photometric != PHOTOMETRIC_LOGL)
            bitmap = freeImagePage(page, width, height);
        if (!bitmap && !stop_.set())
            bitmap = rgbaPage(width, height, problem);
    }
    if (stop_.set())
        return {};
    if (bitmap)
        setResolution(tiff_, bitmap.get());
    return bitmap;
}

Bitmap TiffPages::freeImagePage(int page, std::uint32_t width, std::uint32_t height) {
    if (!pages_)
        pages_ = std::make_unique<StoppableMultiBitmap>(FIF_TIFF, *file_, stop_);
    FIMULTIBITMAP* pages = pages_->get();
    if (pages == nullptr || page > FreeImage_GetPageCount(pages))
        return {};
    Bitmap bitmap;
    FIBITMAP* locked = FreeImage_LockPage(pages, page - 1);
    if (locked != nullptr && FreeImage_GetWidth(locked) == width &&
        FreeImage_GetHeight(locked) == height)
        bitmap.reset(FreeImage_Clone(locked));
    if (locked != nullptr)
        FreeImage_UnlockPage(pages, locked, FALSE);
    if (bitmap) {
        // FreeImage makes a resolution up when the page states none.
        FreeImage_SetDotsPerMeterX(bitmap.get(), 0);
        FreeImage_SetDotsPerMeterY(bitmap.get(), 0);
    }
    return bitmap;
}

Bitmap TiffPages::rgbaPage(std::uint32_t width, std::uint32_t height, std::string& problem) {
    char refusal[1024] = "";
    if (TIFFRGBAImageOK(tiff_, refusal) != 1) {
        std::string why = refusal;
        if (why.rfind("Sorry, ", 0) == 0)
            why.erase(0, 7);
        problem = "unsupported TIFF layout: " + why;
        return {};
    }
    // Read in the order stored (libtiff would only mirror, not turn, a page stored turned);
    // bitmapFromRows then turns and mirrors it. A strip or tile libtiff cannot decode fails the
    // page instead of leaving it blank.
    std::uint16_t orientation = ORIENTATION_TOPLEFT;
    TIFFGetFieldDefaulted(tiff_, TIFFTAG_ORIENTATION, &orientation);
    std::vector<std::uint32_t> raster(static_cast<std::size_t>(width) * height);
    if (TIFFReadRGBAImageOriented(tiff_, width, height, raster.data(), orientation, 1) != 1)
        return {};
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
    return bitmapFromRows(rows);
}

} // namespace pw::pictures
