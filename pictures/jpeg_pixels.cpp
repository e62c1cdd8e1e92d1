#include "pictures/jpeg_pixels.h"

#include "formats/jpeg_errors.h"
#include "formats/jpeg_structure.h"
#include "pictures/picture_resolution.h"
#include "pictures/refusal_reasons.h"

#include <FreeImage.h>
#include <algorithm>
#include <cstring>
#include <memory>

namespace pw::pictures {
namespace {

BYTE toByte(double value) {
    return static_cast<BYTE>(std::clamp(value + 0.5, 0.0, 255.0));
}

// One picture row from the planes of the current iMCU row, in colour (24-bit) or grey. libjpeg
// upsamples by whole factors only, so each sample is taken from the nearest stored one here.
void convertRow(const jpeg_decompress_struct& cinfo, JSAMPARRAY* planes, int rowInChunk, BYTE* out,
                bool grey) {
    const int count = cinfo.num_components;
    const int maxH = cinfo.max_h_samp_factor;
    const int maxV = cinfo.max_v_samp_factor;
    const JSAMPLE* rows[3] = {nullptr, nullptr, nullptr};
    for (int c = 0; c < count; ++c)
        rows[c] = planes[c][rowInChunk * cinfo.comp_info[c].v_samp_factor / maxV];
    const bool luma = count == 1 || cinfo.jpeg_color_space == JCS_YCbCr;
    if (grey && luma) { // the first component is the grey
        for (JDIMENSION x = 0; x < cinfo.output_width; ++x)
            out[x] = rows[0][static_cast<int>(x) * cinfo.comp_info[0].h_samp_factor / maxH];
        return;
    }
    for (JDIMENSION x = 0; x < cinfo.output_width; ++x, out += grey ? 1 : 3) {
        double sample[3] = {0, 0, 0};
        for (int c = 0; c < count; ++c)
            sample[c] = rows[c][static_cast<int>(x) * cinfo.comp_info[c].h_samp_factor / maxH];
        double red = sample[0];
        double green = sample[0];
        double blue = sample[0];
        if (count == 3 && cinfo.jpeg_color_space == JCS_YCbCr) {
            const double cb = sample[1] - 128.0;
            const double cr = sample[2] - 128.0;
            red = sample[0] + 1.402 * cr;
            green = sample[0] - 0.344136 * cb - 0.714136 * cr;
            blue = sample[0] + 1.772 * cb;
        } else if (count == 3) {
            green = sample[1];
            blue = sample[2];
        }
        if (grey) {
            out[0] = toByte(0.299 * red + 0.587 * green + 0.114 * blue);
            continue;
        }
        out[FI_RGBA_RED] = toByte(red);
        out[FI_RGBA_GREEN] = toByte(green);
        out[FI_RGBA_BLUE] = toByte(blue);
    }
}

// The JFIF density as the bitmap's resolution; none without one.
void setJfifDensity(const jpeg_decompress_struct& cinfo, FIBITMAP* bitmap) {
    if (cinfo.saw_JFIF_marker && (cinfo.density_unit == 1 || cinfo.density_unit == 2) &&
        cinfo.X_density > 0 && cinfo.Y_density > 0) {
        const double perMeter = cinfo.density_unit == 1 ? 1.0 / formats::kMetresPerInch : 100.0;
        FreeImage_SetDotsPerMeterX(bitmap, static_cast<unsigned>(cinfo.X_density * perMeter));
        FreeImage_SetDotsPerMeterY(bitmap, static_cast<unsigned>(cinfo.Y_density * perMeter));
    } else {
        FreeImage_SetDotsPerMeterX(bitmap, 0);
        FreeImage_SetDotsPerMeterY(bitmap, 0);
    }
}

// Decodes into a new *bitmap of `bits` (24, or 8 for grey); with `bitmap` null it only reads
// the picture data through, of any colour space, for what libjpeg says of it. Only plain
// values and the caller's structures live across setjmp.
bool decodeInto(std::FILE* file, jpeg_decompress_struct* cinfo, formats::JpegErrors* errors,
                FIBITMAP** bitmap, int bits, StopFlag stop) {
    if (setjmp(errors->jump) != 0)
        return false;
    jpeg_create_decompress(cinfo);
    jpeg_stdio_src(cinfo, file);
    jpeg_read_header(cinfo, TRUE);
    const int count = cinfo->num_components;
    const J_COLOR_SPACE space = cinfo->jpeg_color_space;
    const bool keep = bitmap != nullptr;
    if (keep ? !(count == 1 && space == JCS_GRAYSCALE) &&
                   !(count == 3 && (space == JCS_YCbCr || space == JCS_RGB))
             : count > 4)
        return false;
    cinfo->raw_data_out = TRUE;
    jpeg_start_decompress(cinfo);
    const int chunk = cinfo->max_v_samp_factor * DCTSIZE;
    JSAMPARRAY planes[4] = {nullptr, nullptr, nullptr, nullptr};
    for (int c = 0; c < count; ++c) {
        const jpeg_component_info& component = cinfo->comp_info[c];
        planes[c] = (*cinfo->mem->alloc_sarray)(
            reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE, component.width_in_blocks * DCTSIZE,
            static_cast<JDIMENSION>(component.v_samp_factor * DCTSIZE));
    }
    const auto width = static_cast<int>(cinfo->output_width);
    const auto height = static_cast<int>(cinfo->output_height);
    if (keep && (*bitmap = FreeImage_Allocate(width, height, bits)) == nullptr)
        return false;
    if (keep && bits == 8) {
        RGBQUAD* palette = FreeImage_GetPalette(*bitmap);
        for (int level = 0; level < 256; ++level)
            palette[level].rgbRed = palette[level].rgbGreen = palette[level].rgbBlue =
                static_cast<BYTE>(level);
    }
    while (cinfo->output_scanline < cinfo->output_height) {
        const auto top = static_cast<int>(cinfo->output_scanline);
        if (stop.set() || jpeg_read_raw_data(cinfo, planes, static_cast<JDIMENSION>(chunk)) == 0)
            return false;
        for (int row = 0; keep && row < chunk && top + row < height; ++row)
            convertRow(*cinfo, planes, row, FreeImage_GetScanLine(*bitmap, height - 1 - top - row),
                       bits == 8);
    }
    if (keep)
        setJfifDensity(*cinfo, *bitmap);
    // Ends without reading on to the end-of-image marker, where a stray scan would stop it.
    jpeg_abort_decompress(cinfo);
    return true;
}

// The kind of JPEG libjpeg stopped at as one it does not decode; empty for other errors.
std::string unsupportedKind(const jpeg_decompress_struct& cinfo) {
    if (cinfo.err->msg_code == JERR_BAD_PRECISION)
        return "JPEG with " + std::to_string(cinfo.data_precision) + "-bit samples";
    if (cinfo.err->msg_code == JERR_SOF_UNSUPPORTED) // its parameter is the frame marker
        return (cinfo.err->msg_parm.i[0] & 3) == 3 ? "lossless JPEG" : "hierarchical JPEG";
    return {};
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// The picture in `file` decoded whole (with `keep`; else only read through): null when
// libjpeg stopped or the data ran out inside a scan; `errors` tells why, `unsupported` a kind
// libjpeg does not decode.
Bitmap decodeFile(std::FILE* file, formats::JpegErrors& errors, std::string& unsupported, bool keep,
                  int bits, StopFlag stop) {
    jpeg_decompress_struct cinfo;
    std::memset(&cinfo, 0, sizeof cinfo);
    cinfo.err = formats::quietJpegErrors(errors);
    FIBITMAP* allocated = nullptr; // raw across decodeInto's longjmp
    const bool decoded = decodeInto(file, &cinfo, &errors, keep ? &allocated : nullptr, bits, stop);
    Bitmap bitmap(allocated);
    if (!decoded || errors.dataMissing) {
        unsupported = unsupportedKind(cinfo);
        bitmap.reset();
    }
    jpeg_destroy_decompress(&cinfo);
    return bitmap;
}

} // namespace

Bitmap decodeJpegPixels(const std::string& narrowPath, StopFlag stop, bool grey) {
    return decodeJpegPixels(std::fopen(narrowPath.c_str(), "rb"), stop, grey);
}

Bitmap decodeJpegPixels(const platform::OpenedFile& opened, StopFlag stop, bool grey) {
    return decodeJpegPixels(opened.stream(), stop, grey);
}

Bitmap decodeJpegPixels(std::FILE* stream, StopFlag stop, bool grey) {
    std::unique_ptr<std::FILE, FileCloser> file(stream);
    if (!file)
        return {};
    formats::JpegErrors errors{};
    std::string unsupported;
    Bitmap bitmap = decodeFile(file.get(), errors, unsupported, true, grey ? 8 : 24, stop);
    if (stop.set()) // nothing to report: the picture was left, not refused
        return {};
    if (!unsupported.empty())
        reportUnsupported(unsupported);
    else if (!bitmap)
        reportDecoderMessage(errors.endedEarly ? "JPEG data ends early" : errors.message);
    return bitmap;
}

bool jpegCutShort(const std::string& narrowPath) {
    return jpegCutShort(std::fopen(narrowPath.c_str(), "rb"));
}

bool jpegCutShort(const platform::OpenedFile& file) {
    return jpegCutShort(file.stream());
}

bool jpegCutShort(std::FILE* stream) {
    std::unique_ptr<std::FILE, FileCloser> file(stream);
    std::string reason;
    if (!file || formats::checkJpegStructure(file.get(), reason) ||
        reason != formats::kJpegTruncatedData || std::fseek(file.get(), 0, SEEK_SET) != 0)
        return false;
    formats::JpegErrors errors{};
    std::string unsupported;
    decodeFile(file.get(), errors, unsupported, false, 24, {}); // CMYK ones too
    return errors.dataMissing;
}

} // namespace pw::pictures
