#include "formats/exif.h"
#include "formats/pixel_limit.h"
#include "pictures/decoded_picture.h"
#include "pictures/modern_formats.h"
#include "pictures/picture_size_check.h"
#include "pictures/refusal_reasons.h"

#include <FreeImage.h>
#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>
#include <webp/decode.h>
#include <webp/demux.h>

namespace pw::pictures {
namespace {

struct DemuxDelete {
    void operator()(WebPDemuxer* demuxer) const { WebPDemuxDelete(demuxer); }
};
struct AnimDelete {
    void operator()(WebPAnimDecoder* decoder) const { WebPAnimDecoderDelete(decoder); }
};
struct IncrementalDelete {
    void operator()(WebPIDecoder* decoder) const { WebPIDelete(decoder); }
};

// libwebp decodes a still picture as far as the data given so far reaches; handing it the file
// a slice at a time lets the flag be looked at between slices.
constexpr std::size_t kWebpSlice = 256u << 10;

std::string chunk(const WebPDemuxer* demuxer, const char* fourcc) {
    WebPChunkIterator iterator;
    if (!WebPDemuxGetChunk(demuxer, fourcc, 1, &iterator))
        return {};
    std::string bytes(reinterpret_cast<const char*>(iterator.chunk.bytes), iterator.chunk.size);
    WebPDemuxReleaseChunkIterator(&iterator);
    return bytes;
}

// The orientation of the EXIF chunk, which holds TIFF data with or without the JPEG APP1 lead.
int exifOrientation(std::string exif) {
    static const char kLead[] = "Exif\0\0";
    if (exif.compare(0, 6, std::string(kLead, 6)) != 0)
        exif.insert(0, kLead, 6);
    const int orientation =
        formats::parseExif(reinterpret_cast<const std::uint8_t*>(exif.data()), exif.size())
            .orientation;
    return orientation == 0 ? 1 : orientation;
}

// libwebp's status in words.
const char* statusText(VP8StatusCode status) {
    switch (status) {
    case VP8_STATUS_OK:
        break;
    case VP8_STATUS_OUT_OF_MEMORY:
        return "not enough memory to decode it";
    case VP8_STATUS_INVALID_PARAM:
        return "WebP decoder refused its parameters";
    case VP8_STATUS_BITSTREAM_ERROR:
        return "WebP bitstream error";
    case VP8_STATUS_UNSUPPORTED_FEATURE:
        return "WebP feature not supported";
    case VP8_STATUS_SUSPENDED:
    case VP8_STATUS_USER_ABORT:
        return "WebP decoding stopped";
    case VP8_STATUS_NOT_ENOUGH_DATA:
        return "WebP data ends early";
    }
    return "WebP data cannot be decoded";
}

// Why the demuxer refused the file: the container's parse state.
void reportContainer(const WebPData& data) {
    WebPDemuxState state = WEBP_DEMUX_PARSE_ERROR;
    WebPDemuxDelete(WebPDemuxPartial(&data, &state));
    reportDecoderMessage(state == WEBP_DEMUX_PARSE_ERROR ? "malformed WebP container"
                                                         : "WebP data ends early");
}

// Why the first frame could not be decoded: libwebp's status for it alone.
void reportFrame(const WebPDemuxer* demuxer) {
    WebPIterator frame;
    if (!WebPDemuxGetFrame(demuxer, 1, &frame)) {
        reportDecoderMessage("WebP file holds no frame");
        return;
    }
    WebPDecoderConfig config;
    VP8StatusCode status = VP8_STATUS_INVALID_PARAM;
    if (WebPInitDecoderConfig(&config)) {
        config.output.colorspace = MODE_RGBA;
        status = WebPDecode(frame.fragment.bytes, frame.fragment.size, &config);
        WebPFreeDecBuffer(&config.output);
    }
    WebPDemuxReleaseIterator(&frame);
    reportDecoderMessage(statusText(status));
}

// A still picture decoded as the animation decoder decodes its one frame (RGBA, no threads),
// into `config.output`; false when it cannot be or the flag is set.
bool decodeStill(const WebPData& data, WebPDecoderConfig& config, StopFlag stop) {
    config.output.colorspace = MODE_RGBA;
    config.options.use_threads = 0;
    const std::unique_ptr<WebPIDecoder, IncrementalDelete> decoder(
        WebPIDecode(nullptr, 0, &config));
    if (!decoder)
        return false;
    VP8StatusCode status = VP8_STATUS_SUSPENDED;
    for (std::size_t given = 0; status == VP8_STATUS_SUSPENDED && given < data.size;) {
        if (stop.set())
            return false;
        given = std::min(data.size, given + kWebpSlice);
        status = WebPIUpdate(decoder.get(), data.bytes, given);
    }
    return status == VP8_STATUS_OK;
}

struct DecBufferFree {
    void operator()(WebPDecBuffer* buffer) const { WebPFreeDecBuffer(buffer); }
};

Bitmap decodeWebp(const platform::OpenedFile& file, std::string& problem, StopFlag stop) {
    const auto bytes = file.readAll();
    if (!bytes)
        return {};
    const WebPData data{bytes->data(), bytes->size()};
    std::unique_ptr<WebPDemuxer, DemuxDelete> demuxer(WebPDemux(&data));
    if (!demuxer) {
        reportContainer(data);
        return {};
    }
    const std::uint32_t width = WebPDemuxGetI(demuxer.get(), WEBP_FF_CANVAS_WIDTH);
    const std::uint32_t height = WebPDemuxGetI(demuxer.get(), WEBP_FF_CANVAS_HEIGHT);
    if (!pw::formats::withinPixelLimit(width, height)) {
        problem = pw::formats::pixelLimitReason(width, height);
        return {};
    }
    problem = webpDataTooShort(bytes->data(), bytes->size());
    if (!problem.empty())
        return {};
    const std::uint32_t flags = WebPDemuxGetI(demuxer.get(), WEBP_FF_FORMAT_FLAGS);

    // Of an animation, the animation decoder gives the first frame composed on its canvas.
    WebPDecoderConfig still;
    if (!WebPInitDecoderConfig(&still))
        return {};
    const std::unique_ptr<WebPDecBuffer, DecBufferFree> stillPixels(&still.output);
    std::unique_ptr<WebPAnimDecoder, AnimDelete> decoder;
    std::uint8_t* pixels = nullptr;
    std::size_t stride = std::size_t{width} * 4;
    if ((flags & ANIMATION_FLAG) == 0) {
        const bool decoded = decodeStill(data, still, stop);
        if (stop.set())
            return {};
        if (decoded && still.output.width == static_cast<int>(width) &&
            still.output.height == static_cast<int>(height)) {
            pixels = still.output.u.RGBA.rgba;
            stride = static_cast<std::size_t>(still.output.u.RGBA.stride);
        }
    } else {
        WebPAnimDecoderOptions options;
        if (!WebPAnimDecoderOptionsInit(&options))
            return {};
        options.color_mode = MODE_RGBA;
        options.use_threads = 0;
        decoder.reset(WebPAnimDecoderNew(&data, &options));
        int timestamp = 0;
        if (decoder && !WebPAnimDecoderGetNext(decoder.get(), &pixels, &timestamp))
            pixels = nullptr;
    }
    if (pixels == nullptr) {
        reportFrame(demuxer.get());
        return {};
    }

    PixelRows rows;
    rows.stop = stop;
    rows.data = pixels;
    rows.width = static_cast<int>(width);
    rows.height = static_cast<int>(height);
    rows.stride = stride;
    rows.alpha = true;
    if ((flags & ICCP_FLAG) != 0)
        rows.icc = chunk(demuxer.get(), "ICCP");
    if ((flags & EXIF_FLAG) != 0)
        rows.orientation = exifOrientation(chunk(demuxer.get(), "EXIF"));
    return bitmapFromRows(rows);
}

} // namespace

Decoded decodeWebp(const std::string& narrowPath, StopFlag stop) {
    return decodeWebp(platform::OpenedFile(narrowPath), stop);
}

Decoded decodeWebp(const platform::OpenedFile& file, StopFlag stop) {
    std::string problem;
    Bitmap bitmap = decodeWebp(file, problem, stop);
    return decodedOrRefused(std::move(bitmap), std::move(problem), stop);
}

} // namespace pw::pictures
