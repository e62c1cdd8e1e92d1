#include "formats/g4_tiff.h"

#include "formats/g4_stream.h"
#include "formats/pixel_limit.h"
#include "formats/resolution.h"
#include "formats/tiff_page.h"

#include <cmath>
#include <memory>
#include <sys/stat.h>
#include <tiffio.h>
#include <vector>

namespace pw::formats {
namespace {

// What libtiff said about this file; its messages go nowhere else.
struct Heard {
    int errors = 0;
    int warnings = 0;
    std::string first;
};

int heardError(TIFF*, void* data, const char*, const char* format, va_list args) {
    auto* heard = static_cast<Heard*>(data);
    if (heard->errors++ == 0 && heard->warnings == 0) {
        char text[256];
        std::vsnprintf(text, sizeof text, format, args);
        heard->first = text;
    }
    return 1; // handled: the process-wide handlers hear nothing
}

int heardWarning(TIFF*, void* data, const char*, const char* format, va_list args) {
    auto* heard = static_cast<Heard*>(data);
    if (heard->warnings++ == 0 && heard->errors == 0) {
        char text[256];
        std::vsnprintf(text, sizeof text, format, args);
        heard->first = text;
    }
    return 1;
}

struct TiffCloser {
    void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};

// The page's tags, checked; the reason when it is no page this reader takes.
std::string readTags(TIFF* tiff, std::uint64_t fileSize, G4Tiff& info) {
    std::uint16_t compression = 0;
    std::uint16_t bits = 1;
    std::uint16_t samples = 1;
    std::uint16_t photometric = 0;
    std::uint16_t fillOrder = FILLORDER_MSB2LSB;
    std::uint16_t orientation = ORIENTATION_TOPLEFT;
    std::uint32_t options = 0;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_COMPRESSION, &compression);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_FILLORDER, &fillOrder);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_ORIENTATION, &orientation);
    if (compression != COMPRESSION_CCITTFAX4)
        return "not Group 4";
    if (TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &info.width) != 1 ||
        TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &info.height) != 1 || info.width == 0 ||
        info.height == 0)
        return "no size";
    if (!withinPixelLimit(info.width, info.height))
        return pixelLimitReason(info.width, info.height);
    if (info.width > kMostG4Width)
        return std::to_string(info.width) + " pixels across is wider than a Group 4 page may be";
    if (TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric) != 1 ||
        photometric > PHOTOMETRIC_MINISBLACK || bits != 1 || samples != 1)
        return "not one bilevel sample a pixel";
    if (fillOrder != FILLORDER_MSB2LSB || orientation != ORIENTATION_TOPLEFT)
        return "bits or rows not in the usual order";
    if (TIFFGetField(tiff, TIFFTAG_GROUP4OPTIONS, &options) == 1 &&
        (options & GROUP4OPT_UNCOMPRESSED) != 0)
        return "uncompressed mode";
    if (TIFFIsTiled(tiff) || TIFFNumberOfStrips(tiff) != 1)
        return "not one strip";
    int error = 0;
    info.stripOffset = TIFFGetStrileOffsetWithErr(tiff, 0, &error);
    info.stripBytes = TIFFGetStrileByteCountWithErr(tiff, 0, &error);
    if (error != 0 || info.stripBytes == 0 || info.stripOffset > fileSize ||
        info.stripBytes > fileSize - info.stripOffset)
        return "strip outside the file";
    info.blackIs1 = photometric == PHOTOMETRIC_MINISBLACK;
    std::uint16_t unit = RESUNIT_INCH;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_RESOLUTIONUNIT, &unit);
    info.resolutionUnit = unit;
    if (TIFFGetField(tiff, TIFFTAG_XRESOLUTION, &info.xResolution) == 1 &&
        TIFFGetField(tiff, TIFFTAG_YRESOLUTION, &info.yResolution) == 1) {
        const Resolution resolution = tagResolution(info.xResolution, info.yResolution, unit);
        info.xDpi = resolution.xDpi;
        info.yDpi = resolution.yDpi;
    } else {
        info.xResolution = info.yResolution = 0.0F;
    }
    return {};
}

} // namespace

Resolution tagResolution(float x, float y, int unit) {
    if (!std::isfinite(x) || !std::isfinite(y))
        return {};
    if (unit == RESUNIT_NONE)
        return aspectResolution(x, y);
    const double perInch = unit == RESUNIT_CENTIMETER ? 2.54 : 1.0;
    return unit == RESUNIT_INCH || unit == RESUNIT_CENTIMETER
               ? saneResolution({x * perInch, y * perInch})
               : Resolution{};
}

struct G4TiffPages::Handle {
    Heard heard; // its address is the handlers' data
    std::unique_ptr<TIFF, TiffCloser> tiff;
    std::uint64_t fileSize = 0;
    int current = 0;
    std::string failure; // why the file cannot be read at all
};

G4TiffPages::G4TiffPages(std::string path) : path_(std::move(path)) {}

G4TiffPages::G4TiffPages(int fd, std::string name) : path_(std::move(name)), fd_(fd) {}

G4TiffPages::~G4TiffPages() = default;

std::optional<G4Tiff> readG4Tiff(const std::string& path, std::string& reason, int page,
                                 std::string* strip) {
    G4TiffPages pages(path);
    return pages.read(page, reason, strip);
}

std::optional<G4Tiff> decodeG4Tiff(const std::string& path, std::string& reason,
                                   std::vector<std::uint8_t>& rows, int page) {
    G4TiffPages pages(path);
    return pages.decode(page, reason, rows);
}

std::optional<G4Tiff> G4TiffPages::read(int page, std::string& reason, std::string* strip) {
    return readPage(page, reason, strip, nullptr);
}

std::optional<G4Tiff> G4TiffPages::decode(int page, std::string& reason,
                                          std::vector<std::uint8_t>& rows) {
    return readPage(page, reason, nullptr, &rows);
}

std::optional<G4Tiff> G4TiffPages::readPage(int page, std::string& reason, std::string* strip,
                                            std::vector<std::uint8_t>* rows) {
    const bool opening = handle_ == nullptr;
    if (opening) {
        handle_ = std::make_unique<Handle>();
        struct stat status {};
        TIFFOpenOptions* options = nullptr;
        const int examined = fd_ >= 0 ? ::fstat(fd_, &status) : ::stat(path_.c_str(), &status);
        if (examined != 0 || !S_ISREG(status.st_mode)) {
            handle_->failure = "cannot be opened";
        } else if ((options = TIFFOpenOptionsAlloc()) == nullptr) {
            handle_->failure = "not enough memory to read it";
        } else {
            TIFFOpenOptionsSetErrorHandlerExtR(options, heardError, &handle_->heard);
            TIFFOpenOptionsSetWarningHandlerExtR(options, heardWarning, &handle_->heard);
            // "m": read, not mapped; a file cut short meanwhile would end the process.
            handle_->tiff.reset(fd_ >= 0 ? openTiffDescriptor(fd_, path_, options)
                                         : TIFFOpenExt(path_.c_str(), "rm", options));
            TIFFOpenOptionsFree(options);
            handle_->fileSize = static_cast<std::uint64_t>(status.st_size);
            handle_->current = handle_->tiff ? 1 : 0;
        }
    }
    Heard& heard = handle_->heard;
    TIFF* tiff = handle_->tiff.get();
    if (!handle_->failure.empty()) {
        reason = handle_->failure;
        return std::nullopt;
    }
    if (!opening)
        heard = Heard{}; // what opening it said stays for the first page's reason
    if (tiff == nullptr || !selectTiffPage(tiff, handle_->current, page)) {
        reason = heard.first.empty() ? "not a TIFF" : "not a TIFF: " + heard.first;
        return std::nullopt;
    }
    G4Tiff info;
    info.fileSize = handle_->fileSize;
    reason = readTags(tiff, info.fileSize, info);
    if (!reason.empty())
        return std::nullopt;

    // The data must give every row, as a reader stopping half way would cost the page.
    const tmsize_t size = TIFFStripSize(tiff);
    const std::uint64_t rowBytes = (std::uint64_t{info.width} + 7) / 8;
    if (size <= 0 || static_cast<std::uint64_t>(size) != rowBytes * info.height) {
        reason = "strip size does not match the page";
        return std::nullopt;
    }
    std::vector<std::uint8_t> decoded(static_cast<std::size_t>(size));
    heard = Heard{};
    if (TIFFReadEncodedStrip(tiff, 0, decoded.data(), size) != size || heard.errors != 0 ||
        heard.warnings != 0) {
        reason = heard.first.empty() ? "damaged Group 4 data" : "damaged: " + heard.first;
        return std::nullopt;
    }
    if (rows != nullptr) {
        *rows = std::move(decoded);
        return info;
    }
    // PDF readers decode the data by stricter rules than libtiff: it goes in as it is only when
    // they too decode it to what libtiff gave.
    std::string raw(static_cast<std::size_t>(info.stripBytes), '\0');
    if (TIFFReadRawStrip(tiff, 0, raw.data(), static_cast<tmsize_t>(raw.size())) !=
        static_cast<tmsize_t>(raw.size())) {
        reason = "strip cannot be read";
        return std::nullopt;
    }
    std::vector<std::uint8_t> strict;
    reason = checkG4Stream(reinterpret_cast<const std::uint8_t*>(raw.data()), raw.size(),
                           info.width, info.height, &strict);
    if (reason.empty() && strict != decoded)
        reason = "decoded unlike libtiff";
    if (!reason.empty()) {
        reason = "Group 4 data PDF readers would not decode: " + reason;
        return std::nullopt;
    }
    if (strip != nullptr)
        *strip = std::move(raw);
    return info;
}

} // namespace pw::formats
