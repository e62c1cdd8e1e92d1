#include "engine/rgb_jpeg.h"

#include "engine/job_options.h"
#include "engine/jpeg_errors.h"
#include "engine/picture_resolution.h"
#include "platform/files.h"
#include "platform/narrow.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace pw::engine {
namespace {

constexpr std::size_t kWriteBuffer = 256u << 10;

JDIMENSION dotsPerInch(std::uint32_t dotsPerMeter) {
    return static_cast<JDIMENSION>(0.5 + kMetresPerInch * dotsPerMeter);
}

// Only plain values and the caller's structures live across setjmp.
bool compress(std::FILE* file, jpeg_compress_struct* cinfo, JpegErrors* errors,
              const RgbJpeg& picture, const std::function<const std::uint8_t*()>& nextRow) {
    if (setjmp(errors->jump) != 0)
        return false;
    jpeg_create_compress(cinfo);
    jpeg_stdio_dest(cinfo, file);
    cinfo->image_width = picture.width;
    cinfo->image_height = picture.height;
    cinfo->input_components = 3;
    cinfo->in_color_space = JCS_RGB;
    jpeg_set_defaults(cinfo);
    if (picture.quality >= kFullColourQuality) {
        for (int component = 0; component < 3; ++component) {
            cinfo->comp_info[component].h_samp_factor = 1;
            cinfo->comp_info[component].v_samp_factor = 1;
        }
    }
    cinfo->density_unit = 1;
    cinfo->X_density = static_cast<UINT16>(dotsPerInch(picture.dotsPerMeterX));
    cinfo->Y_density = static_cast<UINT16>(dotsPerInch(picture.dotsPerMeterY));
    jpeg_set_quality(cinfo, std::clamp(picture.quality, 1, 100), TRUE);
    jpeg_start_compress(cinfo, TRUE);
    if (picture.iccProfile != nullptr && !picture.iccProfile->empty())
        jpeg_write_icc_profile(cinfo, picture.iccProfile->data(),
                               static_cast<unsigned>(picture.iccProfile->size()));
    while (cinfo->next_scanline < cinfo->image_height) {
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

bool WriteRgbJpeg(const std::string& target, const RgbJpeg& picture,
                  const std::function<const std::uint8_t*()>& nextRow) {
    std::FILE* file = std::fopen(os::toNarrow(target).c_str(), "wb");
    if (file == nullptr)
        return false;
    // libjpeg hands over 4 KB at a time; a larger buffer (glibc ignores the size without one)
    // saves a system call for most of them.
    thread_local const std::unique_ptr<char[]> buffer(new char[kWriteBuffer]);
    std::setvbuf(file, buffer.get(), _IOFBF, kWriteBuffer);
    jpeg_compress_struct cinfo;
    std::memset(&cinfo, 0, sizeof cinfo);
    JpegErrors errors{};
    cinfo.err = QuietJpegErrors(errors);
    const bool written = compress(file, &cinfo, &errors, picture, nextRow);
    jpeg_destroy_compress(&cinfo);
    const bool flushed = std::ferror(file) == 0;
    if (std::fclose(file) == 0 && written && flushed)
        return true;
    os::removeFile(target); // never leave a half-written picture for the builder
    return false;
}

} // namespace pw::engine
