#include "formats/jpeg_info.h"

#include "formats/exif.h"
#include "formats/jpeg_errors.h"
#include "formats/jpeg_structure.h"
#include "formats/pixel_limit.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sys/stat.h>

namespace pw::formats {
namespace {

// Plain values copied out of libjpeg, so nothing with a destructor lives across setjmp.
struct HeaderFields {
    int width;
    int height;
    int components;
    int precision;
    bool progressive;
    bool arithmetic;
    bool jfif;
    int densityUnit;
    int xDensity;
    int yDensity;
    bool adobe;
    bool rgb;
    ExifFields exif;
    JOCTET* icc;
    unsigned int iccLength;
    void* exifBlock;
    unsigned int exifLength;
};

// The resolution the fields state (see readJpegResolution).
Resolution resolutionOf(const HeaderFields& fields) {
    if (fields.jfif && (fields.densityUnit == 1 || fields.densityUnit == 2) &&
        fields.xDensity > 0 && fields.yDensity > 0) {
        const double scale = fields.densityUnit == 2 ? 2.54 : 1.0;
        return saneResolution({fields.xDensity * scale, fields.yDensity * scale});
    }
    if (fields.exif.xResolution > 0.0 && fields.exif.yResolution > 0.0)
        return saneResolution({fields.exif.xResolution, fields.exif.yResolution});
    if (fields.jfif && fields.densityUnit == 0 && fields.xDensity > 0 && fields.yDensity > 0)
        return aspectResolution(fields.xDensity, fields.yDensity);
    return aspectResolution(fields.exif.xShape, fields.exif.yShape);
}

// Returns false with errors->message set when libjpeg refuses the header. With `keepExif`,
// out->exifBlock gets a malloc'd copy of the EXIF payload the fields are read from.
bool readHeaderFields(std::FILE* file, JpegErrors* errors, HeaderFields* out,
                      bool keepExif = false) {
    jpeg_decompress_struct cinfo;
    std::memset(&cinfo, 0, sizeof cinfo);
    cinfo.err = quietJpegErrors(*errors);
    if (setjmp(errors->jump) != 0) {
        if (out->icc != nullptr) {
            std::free(out->icc);
            out->icc = nullptr;
        }
        std::free(out->exifBlock);
        out->exifBlock = nullptr;
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, file);
    jpeg_save_markers(&cinfo, JPEG_APP0 + 1, 0xFFFF);
    jpeg_save_markers(&cinfo, JPEG_APP0 + 2, 0xFFFF);
    jpeg_read_header(&cinfo, TRUE);

    out->width = static_cast<int>(cinfo.image_width);
    out->height = static_cast<int>(cinfo.image_height);
    out->components = cinfo.num_components;
    out->precision = cinfo.data_precision;
    out->progressive = cinfo.progressive_mode != 0;
    out->arithmetic = cinfo.arith_code != 0;
    out->jfif = cinfo.saw_JFIF_marker != 0;
    out->densityUnit = cinfo.density_unit;
    out->xDensity = cinfo.X_density;
    out->yDensity = cinfo.Y_density;
    out->adobe = cinfo.saw_Adobe_marker != 0;
    out->rgb = cinfo.jpeg_color_space == JCS_RGB;
    for (jpeg_saved_marker_ptr marker = cinfo.marker_list; marker != nullptr;
         marker = marker->next) {
        if (marker->marker == JPEG_APP0 + 1 && marker->data_length >= 6 &&
            std::memcmp(marker->data, "Exif\0\0", 6) == 0) {
            out->exif = parseExif(marker->data, marker->data_length);
            if (keepExif && (out->exifBlock = std::malloc(marker->data_length)) != nullptr) {
                std::memcpy(out->exifBlock, marker->data, marker->data_length);
                out->exifLength = marker->data_length;
            }
            break;
        }
    }
    if (jpeg_read_icc_profile(&cinfo, &out->icc, &out->iccLength) == FALSE) {
        out->icc = nullptr;
        out->iccLength = 0;
    }
    jpeg_destroy_decompress(&cinfo);
    return true;
}

int profileComponents(const std::string& profile) {
    if (profile.size() < 132)
        return 0;
    const std::string space = profile.substr(16, 4);
    if (space == "GRAY")
        return 1;
    if (space == "RGB ")
        return 3;
    if (space == "CMYK")
        return 4;
    return 0;
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

struct MallocFree {
    void operator()(void* block) const { std::free(block); }
};

} // namespace

std::optional<JpegInfo> readJpegInfo(const std::string& path, std::string& reason) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        reason = "cannot open";
        return std::nullopt;
    }
    struct stat status {};
    if (fstat(fileno(file.get()), &status) != 0 || !S_ISREG(status.st_mode)) {
        reason = "not a regular file";
        return std::nullopt;
    }
    return readJpegInfo(file.release(), static_cast<std::uint64_t>(status.st_size), reason);
}

std::optional<JpegInfo> readJpegInfo(std::FILE* opened, std::uint64_t fileSize,
                                     std::string& reason) {
    if (opened == nullptr) {
        reason = "cannot open";
        return std::nullopt;
    }
    std::unique_ptr<std::FILE, FileCloser> file(opened);
    if (fileSize < 4) {
        reason = fileSize == 0 ? "empty file" : "too short";
        return std::nullopt;
    }

    JpegErrors errors{};
    HeaderFields fields{};
    if (!readHeaderFields(file.get(), &errors, &fields)) {
        reason = errors.message[0] != '\0' ? errors.message : "unreadable JPEG header";
        return std::nullopt;
    }
    std::string profile;
    if (fields.icc != nullptr) {
        profile.assign(reinterpret_cast<const char*>(fields.icc), fields.iccLength);
        std::free(fields.icc);
    }
    if (errors.endedEarly) {
        reason = "truncated before the image data";
        return std::nullopt;
    }
    if (fields.precision != 8) {
        reason = std::to_string(fields.precision) + "-bit samples are not supported";
        return std::nullopt;
    }
    if (fields.arithmetic) {
        reason = "arithmetic coding is not supported";
        return std::nullopt;
    }
    if (fields.components != 1 && fields.components != 3 && fields.components != 4) {
        reason = std::to_string(fields.components) + " colour components are not supported";
        return std::nullopt;
    }
    if (fields.width <= 0 || fields.height <= 0) {
        reason = "empty image";
        return std::nullopt;
    }
    const auto width = static_cast<std::uint32_t>(fields.width);
    const auto height = static_cast<std::uint32_t>(fields.height);
    if (!withinPixelLimit(width, height)) {
        reason = pixelLimitReason(width, height);
        return std::nullopt;
    }
    const std::uint64_t size = fileSize;
    if (!checkJpegStructure(file.get(), reason))
        return std::nullopt;

    JpegInfo info;
    info.fileSize = size;
    info.width = fields.width;
    info.height = fields.height;
    info.components = fields.components;
    info.adobeMarker = fields.adobe;
    info.rgbUntransformed = fields.components == 3 && fields.rgb;
    info.progressive = fields.progressive;
    info.orientation = fields.exif.orientation;
    const Resolution resolution = resolutionOf(fields);
    info.xDpi = resolution.xDpi;
    info.yDpi = resolution.yDpi;
    if (profileComponents(profile) == fields.components)
        info.iccProfile = std::move(profile);
    return info;
}

std::optional<Resolution> readJpegResolution(const std::string& path) {
    return readJpegResolution(std::fopen(path.c_str(), "rb"));
}

std::optional<Resolution> readJpegResolution(std::FILE* opened) {
    std::unique_ptr<std::FILE, FileCloser> file(opened);
    if (!file)
        return std::nullopt;
    JpegErrors errors{};
    HeaderFields fields{};
    if (!readHeaderFields(file.get(), &errors, &fields))
        return std::nullopt;
    std::free(fields.icc);
    return resolutionOf(fields);
}

std::optional<JpegMarkers> readJpegMarkers(const std::string& path) {
    return readJpegMarkers(std::fopen(path.c_str(), "rb"));
}

std::optional<JpegMarkers> readJpegMarkers(std::FILE* opened) {
    std::unique_ptr<std::FILE, FileCloser> file(opened);
    if (!file)
        return std::nullopt;
    JpegErrors errors{};
    HeaderFields fields{};
    if (!readHeaderFields(file.get(), &errors, &fields, true))
        return std::nullopt;
    const std::unique_ptr<void, MallocFree> exif(fields.exifBlock);
    const std::unique_ptr<JOCTET, MallocFree> icc(fields.icc);
    JpegMarkers markers;
    if (exif)
        markers.exif.assign(static_cast<const char*>(exif.get()), fields.exifLength);
    if (icc)
        markers.iccProfile.assign(reinterpret_cast<const char*>(icc.get()), fields.iccLength);
    return markers;
}

std::optional<std::string> readIccProfile(const std::string& path) {
    auto markers = readJpegMarkers(path);
    if (!markers)
        return std::nullopt;
    return std::move(markers->iccProfile);
}

} // namespace pw::formats
