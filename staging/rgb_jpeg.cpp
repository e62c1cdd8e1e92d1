#include "staging/rgb_jpeg.h"

#include "formats/jpeg_errors.h"
#include "jobfiles/job_options.h"
#include "pictures/picture_resolution.h"
#include "platform/files.h"
#include "platform/narrow.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <numeric>

namespace pw::staging {
namespace {

constexpr std::size_t kWriteBuffer = 256u << 10;

void put16(std::vector<std::uint8_t>& out, unsigned value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

// dpi as numerator and denominator: to 1/10000 dpi, exact for any whole number of dots per
// metre (each is 0.0254 dpi).
std::pair<std::uint32_t, std::uint32_t> rational(double dpi) {
    std::uint64_t denominator = 10000;
    while (denominator > 1 && dpi * static_cast<double>(denominator) > UINT32_MAX)
        denominator /= 10;
    const std::uint64_t numerator = static_cast<std::uint64_t>(std::min(
        std::llround(dpi * static_cast<double>(denominator)), static_cast<long long>(UINT32_MAX)));
    const std::uint64_t common = std::max<std::uint64_t>(std::gcd(numerator, denominator), 1);
    return {static_cast<std::uint32_t>(numerator / common),
            static_cast<std::uint32_t>(denominator / common)};
}

// Only plain values and the caller's structures live across setjmp.
bool compress(std::FILE* file, jpeg_compress_struct* cinfo, formats::JpegErrors* errors,
              const RgbJpeg& picture, const std::function<const std::uint8_t*()>& nextRow) {
    if (setjmp(errors->jump) != 0)
        return false;
    jpeg_create_compress(cinfo);
    jpeg_stdio_dest(cinfo, file);
    cinfo->image_width = picture.width;
    cinfo->image_height = picture.height;
    cinfo->input_components = picture.components;
    cinfo->in_color_space = picture.components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(cinfo);
    if (picture.quality >= jobfiles::kFullColourQuality) {
        for (int component = 0; component < cinfo->num_components; ++component) {
            cinfo->comp_info[component].h_samp_factor = 1;
            cinfo->comp_info[component].v_samp_factor = 1;
        }
    }
    cinfo->density_unit = 1; // no density, as FreeImage writes it for a bitmap without one
    cinfo->X_density = 0;
    cinfo->Y_density = 0;
    jpeg_set_quality(cinfo, std::clamp(picture.quality, 1, 100), TRUE);
    jpeg_start_compress(cinfo, TRUE);
    if (picture.iccProfile != nullptr && !picture.iccProfile->empty())
        jpeg_write_icc_profile(cinfo, picture.iccProfile->data(),
                               static_cast<unsigned>(picture.iccProfile->size()));
    if (picture.resolution.stated()) {
        const std::vector<std::uint8_t> exif = resolutionExif(picture.resolution);
        jpeg_write_marker(cinfo, JPEG_APP0 + 1, exif.data(), static_cast<unsigned>(exif.size()));
    }
    while (cinfo->next_scanline < cinfo->image_height) {
        if (picture.stop.set())
            return false;
        // Whole batches let libjpeg convert and subsample a band of rows per call.
        JSAMPROW rows[kJpegRowBatch];
        JDIMENSION count = 0;
        while (count < kJpegRowBatch && cinfo->next_scanline + count < cinfo->image_height)
            rows[count++] = const_cast<JSAMPROW>(nextRow()); // libjpeg only reads them
        jpeg_write_scanlines(cinfo, rows, count);
    }
    jpeg_finish_compress(cinfo);
    return true;
}

} // namespace

std::vector<std::uint8_t> resolutionExif(const formats::Resolution& resolution) {
    constexpr unsigned kEntries = 3;
    constexpr std::uint32_t kValuesAt = 8 + 2 + kEntries * 12 + 4; // after the one directory
    std::vector<std::uint8_t> out = {'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0};
    put32(out, 8);
    put16(out, kEntries);
    const auto rationalEntry = [&out](unsigned tag, std::uint32_t at) {
        put16(out, tag);
        put16(out, 5); // RATIONAL
        put32(out, 1);
        put32(out, at);
    };
    rationalEntry(0x011A, kValuesAt); // XResolution
    rationalEntry(0x011B, kValuesAt + 8);
    put16(out, 0x0128); // ResolutionUnit: inches
    put16(out, 3);      // SHORT
    put32(out, 1);
    put32(out, 2);
    put32(out, 0); // no further directory
    for (const double dpi : {resolution.xDpi, resolution.yDpi}) {
        const auto [numerator, denominator] = rational(dpi);
        put32(out, numerator);
        put32(out, denominator);
    }
    return out;
}

bool writeRgbJpeg(const std::string& target, const RgbJpeg& picture,
                  const std::function<const std::uint8_t*()>& nextRow) {
    std::FILE* file = std::fopen(platform::toNarrow(target).c_str(), "wb");
    if (file == nullptr)
        return false;
    // libjpeg hands over 4 KB at a time; a larger buffer (glibc ignores the size without one)
    // saves a system call for most of them.
    thread_local const std::unique_ptr<char[]> buffer(new char[kWriteBuffer]);
    std::setvbuf(file, buffer.get(), _IOFBF, kWriteBuffer);
    jpeg_compress_struct cinfo;
    std::memset(&cinfo, 0, sizeof cinfo);
    formats::JpegErrors errors{};
    cinfo.err = formats::quietJpegErrors(errors);
    const bool written = compress(file, &cinfo, &errors, picture, nextRow);
    jpeg_destroy_compress(&cinfo);
    const bool flushed = std::ferror(file) == 0;
    if (std::fclose(file) == 0 && written && flushed)
        return true;
    platform::removeFile(target); // never leave a half-written picture for the builder
    return false;
}

} // namespace pw::staging
