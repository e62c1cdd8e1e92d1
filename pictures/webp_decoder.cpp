#include "formats/exif.h"
#include "formats/pixel_limit.h"
#include "pictures/decoded_picture.h"
#include "pictures/file_bytes.h"
#include "pictures/modern_formats.h"
#include "pictures/picture_size_check.h"
#include "pictures/refusal_reasons.h"

#include <FreeImage.h>
#include <cstring>
#include <memory>
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
    ReportDecoderMessage(state == WEBP_DEMUX_PARSE_ERROR ? "malformed WebP container"
                                                         : "WebP data ends early");
}

// Why the first frame could not be decoded: libwebp's status for it alone.
void reportFrame(const WebPDemuxer* demuxer) {
    WebPIterator frame;
    if (!WebPDemuxGetFrame(demuxer, 1, &frame)) {
        ReportDecoderMessage("WebP file holds no frame");
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
    ReportDecoderMessage(statusText(status));
}

} // namespace

FIBITMAP* DecodeWebp(const std::string& narrowPath, std::string& problem) {
    const auto bytes = ReadFileBytes(narrowPath);
    if (!bytes)
        return nullptr;
    const WebPData data{bytes->data(), bytes->size()};
    std::unique_ptr<WebPDemuxer, DemuxDelete> demuxer(WebPDemux(&data));
    if (!demuxer) {
        reportContainer(data);
        return nullptr;
    }
    const std::uint32_t width = WebPDemuxGetI(demuxer.get(), WEBP_FF_CANVAS_WIDTH);
    const std::uint32_t height = WebPDemuxGetI(demuxer.get(), WEBP_FF_CANVAS_HEIGHT);
    if (!pw::formats::WithinPixelLimit(width, height)) {
        problem = pw::formats::PixelLimitReason(width, height);
        return nullptr;
    }
    problem = WebpDataTooShort(bytes->data(), bytes->size());
    if (!problem.empty())
        return nullptr;
    const std::uint32_t flags = WebPDemuxGetI(demuxer.get(), WEBP_FF_FORMAT_FLAGS);

    // The animation decoder also reads still pictures; of an animation it gives the first
    // frame composed on its canvas.
    WebPAnimDecoderOptions options;
    if (!WebPAnimDecoderOptionsInit(&options))
        return nullptr;
    options.color_mode = MODE_RGBA;
    options.use_threads = 0;
    std::unique_ptr<WebPAnimDecoder, AnimDelete> decoder(WebPAnimDecoderNew(&data, &options));
    std::uint8_t* pixels = nullptr;
    int timestamp = 0;
    if (!decoder || !WebPAnimDecoderGetNext(decoder.get(), &pixels, &timestamp) ||
        pixels == nullptr) {
        reportFrame(demuxer.get());
        return nullptr;
    }

    PixelRows rows;
    rows.data = pixels;
    rows.width = static_cast<int>(width);
    rows.height = static_cast<int>(height);
    rows.stride = static_cast<std::size_t>(rows.width) * 4;
    rows.alpha = true;
    if ((flags & ICCP_FLAG) != 0)
        rows.icc = chunk(demuxer.get(), "ICCP");
    if ((flags & EXIF_FLAG) != 0)
        rows.orientation = exifOrientation(chunk(demuxer.get(), "EXIF"));
    return BitmapFromRows(rows);
}

} // namespace pw::pictures
